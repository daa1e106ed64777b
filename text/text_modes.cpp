#include "text_modes.h"

uint8_t wide_api_mode = 0;
uint8_t utf8_code_page_valid = 0;

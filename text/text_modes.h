// How the program talks to the platform, settled once at start-up before any conversion.
#pragma once

#include <cstdint>

// 1: the wide (W) form of each text-taking platform call, 0: the narrow (A) form.
extern uint8_t wide_api_mode;

// 1 when the platform converts code page 65001 itself; 0: the program's own UTF-8 codec.
extern uint8_t utf8_code_page_valid;

// The program's own UTF-8 codec, for platforms without a UTF-8 code page. Invalid sequences are
// dropped, never replaced. With `allow_static` the result starts in wide_buffer (utf8_buffer)
// when it is free and moves to the heap once it outgrows it.
#pragma once

#include <cstdint>

#include "wide_char.h"

WideChar* DecodeUtf8(const char* text, bool allow_static, uint32_t* out_units);
char* EncodeUtf8(const WideChar* text, bool allow_static, uint32_t* out_bytes);

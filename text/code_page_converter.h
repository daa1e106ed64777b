// The platform's text converters, as MultiByteToWideChar and WideCharToMultiByte behave with
// flags 0 and an input read through its terminator.
#pragma once

#include <cstdint>

#include "wide_char.h"

inline constexpr uint32_t kCodePageAnsi = 0;
inline constexpr uint32_t kCodePageUtf8 = 65001;

// Converts `text` with its terminator into `out`, which holds `capacity` units. Returns the
// units written, terminator included; with no `out` and a capacity of 0, the units needed.
// 0 when the output does not fit or the converter refuses the input.
uint32_t MultiByteToWide(uint32_t code_page, const char* text, WideChar* out, uint32_t capacity);
// The same from wide text, counting bytes.
uint32_t WideToMultiByte(uint32_t code_page, const WideChar* text, char* out, uint32_t capacity);

// The UTF-16 code unit of the platform's wide calls.
#pragma once

#include <cstdint>

#ifdef _WIN32
using WideChar = wchar_t;  // what the W calls take
#else
using WideChar = char16_t;
#endif
static_assert(sizeof(WideChar) == 2);

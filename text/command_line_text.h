// Scanning a process command line for what follows the program name.
#pragma once

#include <cstdint>

// Copies what follows the program name in `line` (`length` bytes) and the blanks after it into
// a heap block the caller frees. The program name runs to the first blank outside double quotes.
// Null, with `out_length` 0, when nothing but blanks follows.
char* CopyArgumentsText(const char* line, uint32_t length, uint32_t* out_length);

// Splits a command-line text (program name already removed) into arguments, in place.
#pragma once

#include <cstdint>

// Entry 0 plus at most nine arguments.
inline constexpr int kMaxArgumentCount = 10;

// Rewrites the `length` bytes of `text` (followed by a terminator) into NUL-terminated
// arguments and points argv[1..] at them; argv[0] is the empty text. Blanks (space, tab)
// separate arguments outside double quotes; quotes are dropped and there is no escape
// character. Text beyond the ninth argument is ignored. Returns the argument count.
int SplitCommandLine(char* text, uint32_t length, char* argv[kMaxArgumentCount]);

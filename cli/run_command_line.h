// The command line of a program that receives it as one text (the Windows build).
#pragma once

// Runs the command line that follows the program name. False, with nothing done, when only
// blanks follow it; otherwise true with `exit_code` set to 0 or 1.
bool RunCommandLine(int* exit_code);

// The command line's one command: -ExpandROM FILE SIZE.
#pragma once

// Checks the arguments, reports what is wrong on standard output and runs the expansion job in
// command-line mode. argv[0] is the empty text; arguments after the third are ignored.
// True exactly when the job ran and succeeded.
bool ParseCommandLine(int argc, char** argv);

// For -h and --help, and a bare start where no dialog exists.
void PrintUsage();

// Runs one command line after splitting: help, parsing and the closing failure line.
// Returns the exit code.
int RunArguments(int argc, char** argv);

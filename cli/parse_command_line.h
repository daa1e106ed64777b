// The command line's commands: -ExpandROM FILE SIZE, -Info FILE and -FixChecksum FILE.
#pragma once

// Checks the arguments, reports what is wrong on standard output and runs the command in
// command-line mode. argv[0] is the empty text; arguments after the last one a command takes
// are ignored. True exactly when the command ran and succeeded.
bool ParseCommandLine(int argc, char** argv);

// For -h and --help, and a bare start where no dialog exists.
void PrintUsage();

// Runs one command line after splitting: help, parsing and the closing failure line.
// Returns the exit code.
int RunArguments(int argc, char** argv);

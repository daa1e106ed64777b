// Where the program receives its command line as one text and may have no console of its own
// (a Windows GUI program), these give it the text and the caller's console. A POSIX program
// gets its arguments split by the shell and writes to the terminal it was started from.
#pragma once

#include <cstdint>

// The process command line after the program name and the blanks that follow it, as a heap
// block the caller frees; `out_length` gets its length. Null (and 0) when nothing follows.
char* GetCommandLineArguments(uint32_t* out_length);

// Makes standard output reach whoever started the program. Returns the console output code page
// to restore when done, 0 when there is nothing to restore.
uint32_t AttachParentConsole();
// Flushes standard output, restores `saved_code_page` if nonzero and lets the console go.
void ReleaseParentConsole(uint32_t saved_code_page);

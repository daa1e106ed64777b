// Asks for the ROM file with the platform's open-file dialog.
#pragma once

#include <windows.h>

#include <cstdint>

// The filter of the chooser: SNES ROM images first, then all files.
extern const char kRomFileFilter[];

// Offers the path in `file_buffer` (8192 bytes of internal text) and leaves the chosen one
// there. Returns nFileExtension << 16 | nFileOffset of the chosen path, 0 when none was chosen;
// a failure of the dialog is reported to the user here.
uint32_t ChooseRomFile(HWND owner, char* file_buffer, const char* filter,
                       const char* default_extension);

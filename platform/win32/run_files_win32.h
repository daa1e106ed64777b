// What the working copy and the backup of a run share: the ROM's full path, the names that a
// stop from the console removes with the run, and how a handle becomes a stream.
#pragma once

#include <windows.h>

#include <cstdio>

inline constexpr DWORD kPathUnits = 32768;  // the longest path the wide calls take

// Set when the working copy is made: the file the commit replaces.
extern wchar_t replaced_path[kPathUnits];
// Read by the console handler, which removes the backup while its flag is set.
extern wchar_t backup_path[kPathUnits];
extern volatile LONG backup_exists;

// A C stream on `handle`, which it then owns; null, the handle closed, when it cannot.
FILE* StreamFromHandle(HANDLE handle, const char* mode);

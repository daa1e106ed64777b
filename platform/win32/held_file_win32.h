// The ROM a run holds, shared by the open that takes it and the commit that replaces it.
#pragma once

#include <windows.h>

#include <cstdio>

HANDLE HandleOfStream(FILE* stream);

// Whether `path` still names the file the run opened: no other run or program has put another
// file in its place. Asked once the run has let go of the file, right before replacing it.
bool HeldFileIsNamedBy(const wchar_t* path);

// Text-taking Win32 calls on internal text: the wide (W) form in wide-API mode, else the
// narrow (A) form, with the text converted for the call and released right after it.
#pragma once

#include <windows.h>

HMODULE LoadLibraryUtf8(const char* name);

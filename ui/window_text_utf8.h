// SetWindowText on internal text, by the wide-API mode.
#pragma once

#include <windows.h>

BOOL SetWindowTextUtf8(HWND window, const char* text);

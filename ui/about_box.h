// The About box, dialog 1001.
#pragma once

#include <windows.h>

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM w_param, LPARAM l_param);

// Runs the box modally over `owner` until OK, Enter, Esc or its close box ends it.
void ShowAboutBox(HWND owner);

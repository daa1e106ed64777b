// The main dialog, template 1000: one radio button per target, "Apply to ROM...", "About",
// "ROM Info...", "Also fix the checksum" and "Keep a backup"; a ROM dropped on it is expanded
// too.
#pragma once

#include <windows.h>

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM w_param, LPARAM l_param);

// Creates the main dialog modeless, without owner; null when it cannot be created.
HWND CreateMainDialog();

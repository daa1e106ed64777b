// The main dialog's window icons, sized for the display's DPI.
#pragma once

#include <windows.h>

// Keeps a small-icon size that icon 1 holds; any other becomes 16 below 32 pixels and 256
// from 32 up, so that the system only ever shrinks an image. The height follows the width.
void FitSmallIconSize(int* width, int* height);

// The small-icon size at the window's DPI; false, with the outputs untouched, when the system
// has no per-window DPI metrics.
bool GetSmallIconSizeForDpi(HWND window, int* width, int* height);

// Sets icon 1 as the window's small icon, at the size for its DPI.
void SetSmallIcon(HWND window);

// Sets icon 1 as the window's big icon; its 256-pixel image where the system shows that size.
void SetBigIcon(HWND window);

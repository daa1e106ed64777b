// The ROM info window: what -Info prints about a ROM, as a text the user can select and copy.
#pragma once

#include <windows.h>

// Shows the facts of the ROM at rom_path in a modal window over `owner`, or reports why the ROM
// cannot be read. Never writes the file.
void ShowRomInfo(HWND owner);

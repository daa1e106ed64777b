// A ROM dropped on a window, taken as if it had been chosen in the open-file dialog.
#pragma once

#include <windows.h>

// Finishes `drop` and puts the path of the one file it holds in rom_path, where the chooser
// then proposes it. False, after a message over `owner`, for several files, a folder or a path
// too long; rom_path is then as it was.
bool TakeDroppedRom(HWND owner, HDROP drop);

// The target radio buttons of the main dialog and the size codes they select.
#pragma once

#include <windows.h>

#include <cstdint>

// The size code of the checked target button, 0 when none is checked. Should several be checked,
// the highest id wins, and the 64 Mbit special-chip button above all.
uint32_t CollectSizeCode(HWND dialog);

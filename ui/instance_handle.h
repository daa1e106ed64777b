// The program's module: the dialogs and icon 1 are loaded from it.
#pragma once

#include <windows.h>

extern HINSTANCE instance_handle;

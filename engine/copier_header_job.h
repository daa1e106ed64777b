// The copier header commands: the 512-byte header some copiers and patches expect in front of
// the ROM data, removed or added as one all-or-nothing job like an expansion.
#pragma once

#include "platform_calls.h"

// Drops the copier header of the ROM at rom_path (the first 512 bytes of a file whose length
// has bit 0x200 set). Reports "Done!", "No Effect!" when it has none, or why it cannot;
// true unless it failed.
bool RunRemoveHeaderJob(WindowHandle owner);

// Puts a copier header in front of the headerless ROM at rom_path, in the Super Wild Card
// layout. Reports "Done!", "No Effect!" when it has one already, or why it cannot; true unless
// it failed.
bool RunAddHeaderJob(WindowHandle owner);

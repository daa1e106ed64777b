// The checksum fix: the header pairs made to hold the checksum emulators compute.
#pragma once

#include "platform_calls.h"

// Writes the checksum into each pair FindChecksumHeaders names on the open ROM file, where the
// pair differs from it; `*changed` tells whether one did. Reports and returns false when no
// header is found.
bool FixRomChecksum(WindowHandle owner, bool* changed);

// Fixes the checksum of the ROM at rom_path as one all-or-nothing job and reports exactly one
// outcome: "Done!", "No Effect!" when every pair already held it, or "Failed!". True for the
// first two.
bool RunChecksumJob(WindowHandle owner);

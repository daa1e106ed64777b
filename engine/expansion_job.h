// The expansion job: the one call both front ends end in.
#pragma once

#include <cstdint>

#include "platform_calls.h"

inline constexpr uint32_t kRomPathCapacity = 8192;

// Path of the ROM for the next job, as UTF-8; filled by the front end before it runs the job.
extern char rom_path[kRomPathCapacity];

// Expands the ROM at rom_path to the target of `size_code` as one all-or-nothing job and
// reports exactly one outcome. True for "Done!" and "No Effect!".
bool RunExpansionJob(WindowHandle owner, uint32_t size_code);

// Picks the route for `size_code` and runs it on the open ROM file; returns the size result.
uint32_t ExpandRom(WindowHandle owner, uint32_t size_code);

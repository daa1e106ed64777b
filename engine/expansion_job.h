// The expansion job: the one call both front ends end in.
#pragma once

#include <cstdint>

#include "platform_calls.h"

inline constexpr uint32_t kRomPathCapacity = 8192;

// Path of the ROM for the next job, as UTF-8; filled by the front end before it runs the job.
extern char rom_path[kRomPathCapacity];

// Expands the ROM at rom_path to the target of `size_code` as one all-or-nothing job and
// reports its outcome: "Done!" or "No Effect!", then, with `fix_checksum`, the checksum fix's
// "Done!" when the fix changed the header; or "Failed!". With `fix_checksum` the ROM gets both
// steps or neither. True unless it failed.
bool RunExpansionJob(WindowHandle owner, uint32_t size_code, bool fix_checksum);

// Picks the route for `size_code` and runs it on the open ROM file; returns the size result.
uint32_t ExpandRom(WindowHandle owner, uint32_t size_code);

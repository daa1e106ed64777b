// Finding the internal header by what it holds, as cartridge loaders and emulators do, for a ROM
// whose checksum pair no longer tells where it is.
#pragma once

#include <cstdint>

// File offset of the most plausible header among 0x7FC0, 0xFFC0 and, in ROM data over 4 MiB,
// 0x407FC0 and 0x40FFC0 (each after the copier header); 0 when none is plausible. A candidate
// is plausible when its reset vector points into ROM at an instruction a reset handler starts
// with and its map mode byte belongs to its position's family. Reads a few bytes per candidate.
uint32_t FindHeaderByContents(uint32_t file_length);

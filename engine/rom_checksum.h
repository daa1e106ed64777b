// The internal header's checksum as emulators compute it, and the headers that hold it.
#pragma once

#include <cstdint>

// ExHiROM and ExLoROM boards read the header bank 4 MiB above its usual place.
inline constexpr uint32_t kHeaderCopyDistance = 0x400000;

// The headers whose pair a checksum fix writes, as file offsets: the one FindInternalHeader
// finds, or without a valid pair the one FindHeaderByContents finds, and, in ROM data over
// 4 MiB, its copy 4 MiB above (or, for a header found up there, below) when that holds the
// same title and map mode. Returns how many (0 when no header is found).
uint32_t FindChecksumHeaders(uint32_t file_length, uint32_t headers[2]);

// The 16-bit sum over the ROM data of the open file, copier header excluded, as Snes9x takes
// it, with the pair of each of `headers` counted as complement 0xFFFF and checksum 0x0000:
// what the pairs must hold once written, whatever they hold now. Reads 32 KiB at a time.
uint16_t ComputeRomChecksum(uint32_t file_length, const uint32_t* headers, uint32_t count);

// Whether each of `headers` already holds the pair of `checksum`.
bool ChecksumPairsHold(const uint32_t* headers, uint32_t count, uint16_t checksum);

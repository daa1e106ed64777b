// Locating the SNES internal header by its checksum pair.
#pragma once

#include <cstdint>

#include "platform_calls.h"

// Start of the internal header, from the header base, at each position.
inline constexpr uint32_t kLoRomHeader = 0x7FC0;
inline constexpr uint32_t kHiRomHeader = 0xFFC0;

// Fields, from the start of the internal header.
inline constexpr uint32_t kTitleField = 0x00;
inline constexpr uint32_t kTitleLength = 21;
inline constexpr uint32_t kMapModeField = 0x15;
inline constexpr uint32_t kChipsetField = 0x16;
inline constexpr uint32_t kRomSizeField = 0x17;
inline constexpr uint32_t kSramSizeField = 0x18;
inline constexpr uint32_t kRegionField = 0x19;
inline constexpr uint32_t kMakerField = 0x1A;
inline constexpr uint32_t kVersionField = 0x1B;
inline constexpr uint32_t kComplementField = 0x1C;
inline constexpr uint32_t kChecksumField = 0x1E;
inline constexpr uint32_t kResetVectorField = 0x3C;  // in emulation mode, where the CPU starts

// The little-endian word at `field` of a header's bytes, read from its start.
inline uint16_t HeaderWord(const uint8_t* header, uint32_t field) {
  return static_cast<uint16_t>(header[field] | header[field + 1] << 8);
}

// Region bytes 0x00 to 0x11 name a country or area; the rest are unassigned.
inline constexpr uint8_t kRegionCount = 0x12;

// Map mode bytes of the LoROM family (LoROM, S-DD1, SA-1; SlowROM and FastROM) and of the
// HiROM family (HiROM, ExHiROM); any other value is no map mode at all.
bool IsLoRomMapMode(uint8_t map_mode);
bool IsHiRomMapMode(uint8_t map_mode);

// Whether the complement and checksum of the header at file offset `header` are each other's
// bitwise complement.
bool ChecksumPairValid(uint32_t header);

// File offset of the header whose checksum pair is valid, the LoROM position first unless both
// pairs are valid and only the HiROM position holds a map mode of its family; 0 when neither
// pair is valid.
uint32_t FindInternalHeader(uint32_t header_base);

// Reads the map mode and chipset bytes of the header that FindInternalHeader finds. Without a
// valid pair it reports "Cannot determine ROM memory map type." and returns false.
bool ProbeRomHeader(WindowHandle owner, uint8_t* map_mode, uint8_t* chipset, uint32_t header_base);

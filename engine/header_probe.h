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
inline constexpr uint32_t kComplementField = 0x1C;
inline constexpr uint32_t kChecksumField = 0x1E;

// File offset of the header whose checksum pair is valid, the LoROM position first;
// 0 when neither is.
uint32_t FindInternalHeader(uint32_t header_base);

// Reads the map mode and chipset bytes of the header that FindInternalHeader finds. Without a
// valid pair it reports "Cannot determine ROM memory map type." and returns false.
bool ProbeRomHeader(WindowHandle owner, uint8_t* map_mode, uint8_t* chipset, uint32_t header_base);

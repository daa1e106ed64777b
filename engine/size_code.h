// The size code: one 32-bit value naming a target size and memory layout.
#pragma once

#include <cstdint>

inline constexpr uint32_t kMbitBytes = 0x20000;    // 1 Mbit = 128 KiB
inline constexpr uint32_t kMbitShift = 17;         // bytes >> 17 = megabits
inline constexpr uint32_t kMaxSizeMbit = 64;       // the largest target the engine accepts
inline constexpr uint32_t kPlainLimit = 0x400000;  // targets up to 32 Mbit only pad the ROM

inline constexpr uint32_t kSizeMask = 0xFF;
inline constexpr uint32_t kMirrorFlag = 0x100;             // ExHiROM: mirror upper halves
inline constexpr uint32_t kExLoRomSelector = 0xF000;       // any bit: ExLoROM route
inline constexpr uint32_t kExLoRomMoveFlag = 0x1000;       // variant 1: copy, then clear
inline constexpr uint32_t kExLoRomCopyFlag = 0x4000;       // variant 3: copy only
inline constexpr uint32_t kSpecialChipSelector = 0xF0000;  // any bit: special-chip route

inline constexpr uint32_t SizeMbit(uint32_t size_code) {
  return size_code & kSizeMask;
}
inline constexpr uint32_t TargetBytes(uint32_t size_code) {
  return SizeMbit(size_code) << kMbitShift;
}

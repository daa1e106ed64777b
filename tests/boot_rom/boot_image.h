// ROM images around the bootable test program: the assembled 32 KiB code bank becomes the bank
// the CPU boots from, and every 32 KiB bank carries a signature at its start and near its end
// that names the bank and the end, so any word the program reads tells where it came from.
#pragma once

#include <cstdint>

#include "rom_image.h"

enum class BootMap { kLoRom, kHiRom, kSa1 };

struct BootImageOptions {
  BootMap map = BootMap::kLoRom;
  uint32_t data_length = 0x80000;  // ROM data, copier header excluded; a multiple of 32 KiB
  bool copier_header = false;
  uint8_t chipset = 0x00;  // the SA-1 images take 0x34 or 0x35
};

inline constexpr uint32_t kBootBank = 0x8000;
inline constexpr uint32_t kEndSignatureOffset = 0x7FF0;  // free bytes between the vector tables

inline uint16_t StartSignature(uint32_t bank) {
  return static_cast<uint16_t>('S' << 8 | bank);
}
inline uint16_t EndSignature(uint32_t bank) {
  return static_cast<uint16_t>('E' << 8 | bank);
}

// The whole file; empty when `code_bank` is not one bank or the options do not make an image.
Bytes MakeBootImage(const Bytes& code_bank, const BootImageOptions& options);

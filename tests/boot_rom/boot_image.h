// ROM images around the bootable test program: the assembled 32 KiB code bank becomes the bank
// the CPU boots from, and every 32 KiB bank carries a signature at its start and near its end
// that names the bank and the end, so any word the program reads tells where it came from.
#pragma once

#include <algorithm>
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
inline uint16_t StartSignature(uint32_t bank) { return uint16_t('S' << 8 | bank); }
inline uint16_t EndSignature(uint32_t bank) { return uint16_t('E' << 8 | bank); }

// The whole file; empty when `code_bank` is not one bank or the options make no image.
inline Bytes MakeBootImage(const Bytes& code_bank, const BootImageOptions& options) {
  if (code_bank.size() != kBootBank || options.data_length % kBootBank != 0 ||
      options.data_length < 2 * kBootBank || options.data_length > 0x100 * kBootBank)
    return {};
  Bytes data(options.data_length, 0);
  const auto word = [&data](uint32_t at, uint16_t value) {
    data[at] = uint8_t(value);
    data[at + 1] = uint8_t(value >> 8);
  };
  // HiROM boards fetch the vectors from the upper half of the first 64 KiB, the others (SA-1
  // included) from the first 32 KiB. The end signature sits in free bytes between the vectors.
  const uint32_t boot_bank = options.map == BootMap::kHiRom ? 1 : 0;
  std::copy(code_bank.begin(), code_bank.end(), data.begin() + boot_bank * kBootBank);
  for (uint32_t bank = 0; bank < options.data_length / kBootBank; ++bank) {
    word(bank * kBootBank, StartSignature(bank));
    word(bank * kBootBank + 0x7FF0, EndSignature(bank));
  }
  const uint32_t header = boot_bank * kBootBank + 0x7FC0;
  const std::string title = "ROMSPAN BOOT TEST    ";
  std::copy(title.begin(), title.end(), data.begin() + header);
  data[header + 0x15] = options.map == BootMap::kHiRom ? 0x21 : options.map == BootMap::kSa1 ? 0x23 : 0x20;
  data[header + 0x16] = options.chipset;
  while ((1024u << data[header + 0x17]) < options.data_length) ++data[header + 0x17];
  data[header + 0x19] = 0x01;  // North America: an NTSC console
  // The pair counts as 0xFFFF / 0x0000, whose bytes add up as the final pair's.
  word(header + 0x1C, 0xFFFF);
  uint16_t sum = 0;
  for (uint8_t byte : data) sum = uint16_t(sum + byte);
  word(header + 0x1C, uint16_t(~sum));
  word(header + 0x1E, sum);
  data.insert(data.begin(), options.copier_header ? kFixtureCopierHeader : 0, 0);
  return data;
}

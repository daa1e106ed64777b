#include "boot_image.h"

#include <algorithm>
#include <string_view>

namespace {

void WriteWord(Bytes& data, uint32_t offset, uint16_t value) {
  data[offset] = static_cast<uint8_t>(value);
  data[offset + 1] = static_cast<uint8_t>(value >> 8);
}

uint8_t MapModeByte(BootMap map) {
  switch (map) {
    case BootMap::kLoRom:
      return 0x20;
    case BootMap::kHiRom:
      return 0x21;
    case BootMap::kSa1:
      return 0x23;
  }
  return 0x20;
}

}  // namespace

Bytes MakeBootImage(const Bytes& code_bank, const BootImageOptions& options) {
  if (code_bank.size() != kBootBank || options.data_length % kBootBank != 0 ||
      options.data_length < 2 * kBootBank || options.data_length / kBootBank > 0x100)
    return {};
  Bytes data(options.data_length, 0);
  // HiROM boards fetch the vectors from the upper half of the first 64 KiB; the others (SA-1
  // included) from the first 32 KiB.
  const uint32_t boot_bank = options.map == BootMap::kHiRom ? 1 : 0;
  std::copy(code_bank.begin(), code_bank.end(), data.begin() + boot_bank * kBootBank);
  for (uint32_t bank = 0; bank < options.data_length / kBootBank; ++bank) {
    WriteWord(data, bank * kBootBank, StartSignature(bank));
    WriteWord(data, bank * kBootBank + kEndSignatureOffset, EndSignature(bank));
  }

  const uint32_t header = boot_bank * kBootBank + 0x7FC0;
  constexpr std::string_view kTitle = "ROMSPAN BOOT TEST    ";
  std::copy(kTitle.begin(), kTitle.end(), data.begin() + header);
  data[header + 0x15] = MapModeByte(options.map);
  data[header + 0x16] = options.chipset;
  uint8_t size_byte = 0;
  while ((1024u << size_byte) < options.data_length) ++size_byte;
  data[header + 0x17] = size_byte;
  data[header + 0x19] = 0x01;  // North America: an NTSC console
  // The checksum covers the pair itself as 0xFFFF/0x0000, whose bytes add up as the final pair's.
  WriteWord(data, header + 0x1C, 0xFFFF);
  uint16_t sum = 0;
  for (uint8_t byte : data) sum = static_cast<uint16_t>(sum + byte);
  WriteWord(data, header + 0x1C, static_cast<uint16_t>(~sum));
  WriteWord(data, header + 0x1E, sum);

  Bytes file(options.copier_header ? kFixtureCopierHeader : 0, 0);
  file.insert(file.end(), data.begin(), data.end());
  return file;
}

// Writes a bootable test ROM image around the assembled 32 KiB code bank, which becomes the bank
// the CPU boots from; every 32 KiB bank carries a signature at its start ('S', bank) and near its
// end ('E', bank), so any word the program reads tells where it came from.
//   make_boot_rom CODE_BANK FILE [lorom|hirom|sa1[-copier] [MBIT [CHIPSET]]]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "rom_image.h"

int main(int argc, char** argv) {
  const std::string map = argc > 3 ? argv[3] : "lorom";
  const uint32_t length = argc > 4 ? uint32_t(std::strtoul(argv[4], nullptr, 10)) << 17 : 0x80000;
  const Bytes code = argc > 2 ? ReadWholeFile(argv[1]) : Bytes();
  if (code.size() != 0x8000 || length % 0x10000 != 0 || length == 0 || length > 0x800000) {
    std::fprintf(
        stderr,
        "usage: make_boot_rom CODE_BANK FILE [lorom|hirom|sa1[-copier] [MBIT [CHIPSET]]]\n");
    return 2;
  }
  Bytes data(length, 0);
  const auto word = [&data](uint32_t at, uint32_t value) {
    data[at] = uint8_t(value);
    data[at + 1] = uint8_t(value >> 8);
  };
  // HiROM boards fetch the vectors from the upper half of the first 64 KiB, the others (SA-1
  // included) from the first 32 KiB. The end signature sits in free bytes between the vectors.
  const bool hirom = map.starts_with("hirom"), sa1 = map.starts_with("sa1");
  std::copy(code.begin(), code.end(), data.begin() + (hirom ? 0x8000 : 0));
  for (uint32_t bank = 0; bank < length / 0x8000; ++bank) {
    word(bank * 0x8000, 'S' << 8 | bank);
    word(bank * 0x8000 + 0x7FF0, 'E' << 8 | bank);
  }
  const uint32_t header = hirom ? 0xFFC0 : 0x7FC0;
  const std::string title = "ROMSPAN BOOT TEST    ";
  std::copy(title.begin(), title.end(), data.begin() + header);
  data[header + 0x15] = hirom ? 0x21 : sa1 ? 0x23 : 0x20;
  data[header + 0x16] = uint8_t(argc > 5 ? std::strtoul(argv[5], nullptr, 0) : sa1 ? 0x34 : 0);
  while ((1024u << data[header + 0x17]) < length) ++data[header + 0x17];
  data[header + 0x19] = 0x01;  // North America: an NTSC console
  // The pair counts as 0xFFFF / 0x0000, whose bytes add up as the final pair's.
  word(header + 0x1C, 0xFFFF);
  uint16_t sum = 0;
  for (uint8_t byte : data) sum = uint16_t(sum + byte);
  word(header + 0x1C, uint16_t(~sum));
  word(header + 0x1E, sum);
  data.insert(data.begin(), map.ends_with("-copier") ? 0x200 : 0, 0);
  if (WriteWholeFile(argv[2], data)) return 0;
  std::perror(argv[2]);
  return 1;
}

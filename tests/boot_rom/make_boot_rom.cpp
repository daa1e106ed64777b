// Writes a bootable test ROM image: make_boot_rom CODE_BANK FILE [lorom|hirom|sa1] [MBIT]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "boot_image.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::fprintf(stderr, "usage: make_boot_rom CODE_BANK FILE [lorom|hirom|sa1] [MBIT]\n");
    return 2;
  }
  BootImageOptions options;
  const std::string map = argc > 3 ? argv[3] : "lorom";
  if (map == "hirom") {
    options.map = BootMap::kHiRom;
  } else if (map == "sa1") {
    options.map = BootMap::kSa1;
    options.chipset = 0x34;
  } else if (map != "lorom") {
    std::fprintf(stderr, "make_boot_rom: unknown map %s\n", map.c_str());
    return 2;
  }
  if (argc > 4)
    options.data_length = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 10)) << 17;
  const Bytes image = MakeBootImage(ReadWholeFile(argv[1]), options);
  if (image.empty()) {
    std::fprintf(stderr, "make_boot_rom: no image from %s with that size\n", argv[1]);
    return 1;
  }
  if (!WriteWholeFile(argv[2], image)) {
    std::perror(argv[2]);
    return 1;
  }
  return 0;
}

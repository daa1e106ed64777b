// Writes a bootable test ROM image: make_boot_rom CODE_BANK FILE [lorom|hirom|sa1] [MBIT]
#include <cstdio>
#include <cstdlib>
#include <string>

#include "boot_image.h"

int main(int argc, char** argv) {
  const std::string map = argc > 3 ? argv[3] : "lorom";
  BootImageOptions options = {.map = map == "hirom" ? BootMap::kHiRom : map == "sa1" ? BootMap::kSa1 : BootMap::kLoRom,
                              .chipset = uint8_t(map == "sa1" ? 0x34 : 0)};
  if (argc > 4) options.data_length = uint32_t(std::strtoul(argv[4], nullptr, 10)) << 17;
  const Bytes image = argc < 3 ? Bytes() : MakeBootImage(ReadWholeFile(argv[1]), options);
  if (image.empty() || (map != "lorom" && map != "hirom" && map != "sa1")) {
    std::fprintf(stderr, "usage: make_boot_rom CODE_BANK FILE [lorom|hirom|sa1] [MBIT]\n");
    return 2;
  }
  if (WriteWholeFile(argv[2], image)) return 0;
  std::perror(argv[2]);
  return 1;
}

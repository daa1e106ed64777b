// Writes one synthetic ROM image for the dialog tests, whose targets need LoROM, HiROM and
// special-chip images of several sizes.
// Usage: make_gui_rom FILE LENGTH lorom|hirom MAP_MODE   (numbers in hexadecimal)
#include <cstdio>
#include <cstdlib>
#include <string>

#include "rom_image.h"

int main(int argc, char** argv) {
  const std::string layout = argc > 3 ? argv[3] : "";
  if (argc != 5 || (layout != "lorom" && layout != "hirom")) {
    std::fprintf(stderr, "usage: make_gui_rom FILE LENGTH lorom|hirom MAP_MODE\n");
    return 2;
  }
  RomSpec wanted;
  wanted.data_length = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 16));
  wanted.header = layout == "lorom" ? HeaderAt::kLoRom : HeaderAt::kHiRom;
  wanted.map_mode = static_cast<uint8_t>(std::strtoul(argv[4], nullptr, 16));
  if (!WriteWholeFile(argv[1], MakeRomImage(wanted))) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}

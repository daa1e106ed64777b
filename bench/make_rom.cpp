// Writes a synthetic ROM image for the benchmark: make_rom FILE DATA_LENGTH MAP_MODE, with the
// valid header at 0x7FC0 for LoROM (map mode 0x20) or 0xFFC0 for HiROM (0x21). Same images as
// the test fixtures: every 32 KiB bank has content of its own.
#include <cstdio>
#include <cstdlib>

#include "rom_image.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_rom FILE DATA_LENGTH MAP_MODE\n");
    return 2;
  }
  RomSpec layout;
  layout.data_length = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 0));
  layout.map_mode = static_cast<uint8_t>(std::strtoul(argv[3], nullptr, 0));
  layout.header = (layout.map_mode & 1) ? HeaderAt::kHiRom : HeaderAt::kLoRom;
  layout.title = "ROMSPAN BENCH";
  if (!WriteWholeFile(argv[1], MakeRomImage(layout))) {
    std::perror(argv[1]);
    return 1;
  }
  return 0;
}

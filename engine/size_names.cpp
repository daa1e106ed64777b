#include "size_names.h"

#include <cstring>

const SizeName kSizeNames[] = {
    {"1", 0x1, "1 Mbit (128 KB), zero padding"},
    {"2", 0x2, "2 Mbit (256 KB), zero padding"},
    {"4", 0x4, "4 Mbit (0.5 MB), zero padding"},
    {"8", 0x8, "8 Mbit (1 MB), zero padding"},
    {"12", 0xC, "12 Mbit (1.5 MB), zero padding"},
    {"16", 0x10, "16 Mbit (2 MB), zero padding"},
    {"20", 0x14, "20 Mbit (2.5 MB), zero padding"},
    {"24", 0x18, "24 Mbit (3 MB), zero padding"},
    {"28", 0x1C, "28 Mbit (3.5 MB), zero padding"},
    {"32", 0x20, "32 Mbit (4 MB), zero padding"},
    {"48_EXHIROM", 0x30, "48 Mbit ExHiROM (6 MB)"},
    {"48_EXHIROM_3", 0x130, "48 Mbit ExHiROM (6 MB), upper halves mirrored above 4 MB"},
    {"64_EXHIROM", 0x40, "64 Mbit ExHiROM (8 MB)"},
    {"64_EXHIROM_3", 0x140, "64 Mbit ExHiROM (8 MB), upper halves mirrored above 4 MB"},
    {"48_EXLOROM_1", 0x1030, "48 Mbit ExLoROM (6 MB), banks moved up (00:8000-6F:FFFF map)"},
    {"48_EXLOROM_2", 0x2030, "48 Mbit ExLoROM (6 MB), bank 0 copied (80:8000-FF:FFFF map)"},
    {"48_EXLOROM_3", 0x4030, "48 Mbit ExLoROM (6 MB), banks copied up and kept"},
    {"64_EXLOROM_1", 0x1040, "64 Mbit ExLoROM (8 MB), banks moved up (00:8000-6F:FFFF map)"},
    {"64_EXLOROM_2", 0x2040, "64 Mbit ExLoROM (8 MB), bank 0 copied (80:8000-FF:FFFF map)"},
    {"64_EXLOROM_3", 0x4040, "64 Mbit ExLoROM (8 MB), banks copied up and kept"},
    {"48_EXPCHIP", 0x10030, "48 Mbit SA-1/S-DD1 (6 MB), zero padding"},
    {"64_EXPCHIP", 0x10040, "64 Mbit SA-1/S-DD1 (8 MB), zero padding"},
    {"1MB", 0x8, "same as 8"},
    {"1.5MB", 0xC, "same as 12"},
    {"2MB", 0x10, "same as 16"},
    {"2.5MB", 0x14, "same as 20"},
    {"3MB", 0x18, "same as 24"},
    {"3.5MB", 0x1C, "same as 28"},
    {"4MB", 0x20, "same as 32"},
};

static_assert(sizeof(kSizeNames) / sizeof(kSizeNames[0]) == kSizeNameCount);

const SizeName* FindSizeName(const char* name) {
  for (const SizeName& row : kSizeNames) {
    if (std::strcmp(row.name, name) == 0) return &row;
  }
  return nullptr;
}

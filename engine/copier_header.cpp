#include "copier_header.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kPageSize = 0x2000;  // copiers count the ROM in 8 KiB pages
constexpr uint32_t kTypeField = 8;      // the Super Wild Card's file type bytes
constexpr uint8_t kSnesProgram[] = {0xAA, 0xBB, 0x04};

}  // namespace

// The size in pages (a part page counts as one), no emulation mode, the file type bytes of a
// SNES program; the rest is zero.
void MakeCopierHeader(uint32_t data_length, uint8_t header[kCopierHeaderSize]) {
  const uint32_t pages = (data_length + kPageSize - 1) / kPageSize;
  std::memset(header, 0, kCopierHeaderSize);
  header[0] = static_cast<uint8_t>(pages);
  header[1] = static_cast<uint8_t>(pages >> 8);
  std::memcpy(header + kTypeField, kSnesProgram, sizeof kSnesProgram);
}

void DescribeCopierHeader(const uint8_t first[kCopierHeaderSignature], char* out, size_t size) {
  if (std::memcmp(first + kTypeField, kSnesProgram, sizeof kSnesProgram) == 0) {
    std::snprintf(out, size, "yes (Super Wild Card layout, %u pages of 8 KiB)",
                  static_cast<unsigned>(first[0] | first[1] << 8));
  } else if (std::memcmp(first, "GAME DOCTOR SF 3", kCopierHeaderSignature) == 0) {
    std::snprintf(out, size, "yes (Game Doctor layout)");
  } else if (std::memcmp(first + 8, "SUPERUFO", 8) == 0) {
    std::snprintf(out, size, "yes (Super UFO layout)");
  } else {
    std::snprintf(out, size, "yes (no known layout)");
  }
}

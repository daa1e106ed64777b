// Special-chip expansion: SA-1 and S-DD1 images are padded to 48 or 64 Mbit; their chips map
// the new space themselves, so no bank moves.
#include <cstring>

#include "header_probe.h"
#include "notify.h"
#include "rom_file.h"
#include "routes.h"

namespace {

constexpr uint8_t kSpecialChipRomSize = 13;  // 2^13 KiB = 8 MiB
constexpr uint32_t kTitleFixLimit = 0x410000;
constexpr uint32_t kTitleFixOffset = 0xA60;
constexpr char kTitleFixTitle[] = "SUPER MARIOWORLD     ";
static_assert(sizeof(kTitleFixTitle) - 1 == kTitleLength);

bool IsSpecialChipImage(uint8_t map_mode, uint8_t chipset) {
  const uint8_t kind = map_mode & 0x0F;
  if (kind == 0x2 || kind == 0x3) return true;
  return chipset == 0x13 || chipset == 0x14 || chipset == 0x15 || chipset == 0x1A;
}

}  // namespace

uint32_t ExpandSpecialChip(WindowHandle owner, uint32_t size_code) {
  RouteStart rom;
  uint32_t result = 0;
  if (!StartProbedRoute(owner, size_code, &rom, &result)) return result;
  const uint32_t base = rom.header_base;
  if (!IsSpecialChipImage(rom.map_mode, rom.chipset)) {
    Notify(owner, Message::kNotSpecialChip);
    return 0;
  }

  if (!PadToTarget(rom.file_length, rom.target)) return 0;
  const uint32_t header = FindInternalHeader(base);
  if (header != 0) WriteRomByte(header + kRomSizeField, kSpecialChipRomSize);
  if (header == base + kLoRomHeader && (rom.map_mode & 0x0F) == 0x3 &&
      rom.old_length < kTitleFixLimit) {
    ApplyTitleFix(base);
  }
  return FinishRoute(base + rom.target, rom.target);
}

// A known SA-1 build of this title keeps four bank numbers at 0xA60 that must point at the
// next four banks once the image is expanded.
void ApplyTitleFix(uint32_t header_base) {
  uint8_t title[kTitleLength] = {};
  ReadRomBytes(header_base + kLoRomHeader + kTitleField, title, kTitleLength);
  if (std::memcmp(title, kTitleFixTitle, kTitleLength) != 0) return;

  uint8_t banks[4] = {};
  ReadRomBytes(header_base + kTitleFixOffset, banks, sizeof(banks));
  static constexpr uint8_t kHighMirror[4] = {0x80, 0x81, 0x82, 0x83};
  static constexpr uint8_t kLowMirror[4] = {0x00, 0x01, 0x02, 0x03};
  static constexpr uint8_t kFixed[4] = {0x04, 0x05, 0x06, 0x07};
  if (std::memcmp(banks, kHighMirror, 4) == 0 || std::memcmp(banks, kLowMirror, 4) == 0) {
    WriteRomBytes(header_base + kTitleFixOffset, kFixed, sizeof(kFixed));
  }
}

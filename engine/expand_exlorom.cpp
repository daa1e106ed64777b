// ExLoROM conversion: a LoROM image becomes 48 or 64 Mbit ExLoROM. Bank k of the low area has
// its counterpart at 0x400000 + k * 0x8000; bank 0, with the header, is always copied there.
#include "header_probe.h"
#include "notify.h"
#include "rom_file.h"
#include "routes.h"
#include "size_code.h"

namespace {

constexpr uint32_t kUpperArea = 0x400000;
constexpr uint32_t kCopyLimit = 0x380000;  // banks from 28 Mbit on stay where they are
constexpr uint8_t kExLoRomRomSize = 13;    // 2^13 KiB = 8 MiB

// Copies banks 1 up to the copy limit to their counterparts; into a working copy that started
// empty (variant 1, which moves them), straight from the ROM, with what lies past the limit
// also kept in place. Returns the end of the last copy, or 0 when a transfer failed.
uint32_t CopyLowBanks(const RouteStart& rom, bool moved) {
  const uint32_t base = rom.header_base;
  const uint32_t limit = rom.old_length < kCopyLimit ? rom.old_length : kCopyLimit;
  // A partial last bank is copied whole: its tail is the zeros of the new area.
  const uint32_t bank_count = (limit + kBankSize - 1) / kBankSize;
  for (uint32_t k = 1; k < bank_count; ++k) {
    const uint32_t from = base + k * kBankSize;
    const uint32_t to = base + kUpperArea + k * kBankSize;
    if (moved) {
      CopyRomSpan(from, to, kBankSize);
    } else {
      CopyBank(from, to);
    }
  }
  if (moved) CopyRomSpan(base + limit, base + limit, rom.old_length - limit);
  const uint32_t copies_end = base + kUpperArea + bank_count * kBankSize;
  return PadToLength(copies_end) ? copies_end : 0;
}

}  // namespace

uint32_t ExpandExLoRom(WindowHandle owner, uint32_t size_code) {
  RouteStart rom;
  uint32_t result = 0;
  if (!StartProbedRoute(owner, size_code, &rom, &result)) return result;
  const uint32_t base = rom.header_base;
  if ((rom.map_mode & 0x0F) != 0) {
    Notify(owner, Message::kNotLoRom);
    return 0;
  }

  // Above 32 Mbit the bank at 0x400000 already holds the game's own data.
  const bool copy =
      rom.old_length <= kUpperArea && (size_code & (kExLoRomMoveFlag | kExLoRomCopyFlag)) != 0;
  // Variant 1 leaves nothing of the banks it moves at their old place: its working copy starts
  // empty and takes what it keeps from the ROM, so nothing is written twice.
  const bool moved = copy && (size_code & kExLoRomMoveFlag) != 0;
  if (moved) {
    StartEmptyWorkingCopy();
    CopyRomSpan(0, 0, base + kBankSize);
  }
  if (!PadToTarget(rom.file_length, rom.target)) return 0;
  WriteRomByte(base + kLoRomHeader + kRomSizeField, kExLoRomRomSize);
  uint32_t expected_length = base + rom.target;
  if (rom.old_length <= kUpperArea) {
    CopyBank(base, base + kUpperArea);
    if (copy) {
      const uint32_t copies_end = CopyLowBanks(rom, moved);
      if (copies_end == 0) return 0;
      // With a 48 Mbit target the copies may run past the padded end and lengthen the file.
      if (copies_end > expected_length) expected_length = copies_end;
    }
  }
  return FinishRoute(expected_length, rom.target);
}

// ExHiROM conversion: HiROM, ExHiROM and small LoROM images become 48 or 64 Mbit ExHiROM.
// Above 4 MiB the CPU sees only the upper half of each 64 KiB block through $40-$7D, so LoROM
// banks and mirrors go there, and a copy of the header bank sits at 0x408000 where ExHiROM
// boards look for it.
#include "header_probe.h"
#include "notify.h"
#include "rom_file.h"
#include "routes.h"
#include "size_code.h"

namespace {

constexpr uint32_t kBlockSize = 0x10000;
constexpr uint32_t kUpperHalf = 0x8000;
constexpr uint32_t kHighArea = 0x400000;                      // first block above 4 MiB
constexpr uint32_t kHighHeaderBank = kHighArea + kUpperHalf;  // 0x408000
constexpr uint32_t kLoRomLimit = 0x100000;                    // LoROM sources up to 8 Mbit
constexpr uint8_t kExHiRomRomSize = 13;                       // 2^13 KiB = 8 MiB
constexpr uint8_t kKindLoRom = 0x0, kKindHiRom = 0x1, kKindExHiRom = 0x5;

uint32_t BanksIn(uint32_t length) {
  return (length + kBankSize - 1) / kBankSize;
}

// LoROM bank k becomes the upper half of block 64 + k, and bank 0 the header bank, which the
// route's last steps copy to block 64. The old area keeps nothing else, so the working copy
// starts empty and takes each bank from the ROM once.
bool MoveLoRomBanks(const RouteStart& rom) {
  const uint32_t base = rom.header_base;
  StartEmptyWorkingCopy();
  CopyRomSpan(0, 0, base);
  if (!PadToTarget(rom.file_length, rom.target)) return false;
  for (uint32_t k = 1; k < BanksIn(rom.old_length); ++k) {
    CopyRomSpan(base + k * kBankSize, base + kHighHeaderBank + k * kBlockSize, kBankSize);
  }
  CopyRomSpan(base, base + kUpperHalf, kBankSize);
  return RomWritesSettled();
}

// The upper half of block j goes to the upper half of block 64 + j, never over ROM data an
// ExHiROM source already has there. Block 0's comes from the working copy, with its rewritten
// header; the others from the ROM, which gives nothing where it ends: the new area stays zero.
// True when block 64 got its copy.
bool MirrorUpperHalves(const RouteStart& rom) {
  const uint32_t base = rom.header_base;
  const uint32_t mirror_count = (rom.target - kHighArea) / kBlockSize;
  for (uint32_t j = 0; j < mirror_count; ++j) {
    const uint32_t destination = kHighHeaderBank + j * kBlockSize;
    if (destination < rom.old_length) continue;
    if (j == 0) {
      CopyBank(base + kUpperHalf, base + destination);
    } else {
      CopyRomSpan(base + kUpperHalf + j * kBlockSize, base + destination, kBankSize);
    }
  }
  return rom.old_length <= kHighHeaderBank;
}

}  // namespace

uint32_t ExpandExHiRom(WindowHandle owner, uint32_t size_code) {
  RouteStart rom;
  uint32_t result = 0;
  if (!StartProbedRoute(owner, size_code, &rom, &result)) return result;
  const uint32_t base = rom.header_base;
  const uint8_t kind = rom.map_mode & 0x0F;
  const bool hirom = kind == kKindHiRom || kind == kKindExHiRom;
  if (kind == kKindLoRom) {
    if (rom.old_length > kLoRomLimit) {
      Notify(owner, Message::kLoRomTooLarge);
      return 0;
    }
    if (!MoveLoRomBanks(rom)) return 0;
  } else if (hirom) {
    if (!PadToTarget(rom.file_length, rom.target)) return 0;
  } else {
    Notify(owner, Message::kNotHiOrLoRom);
    return 0;
  }

  // The header is always rewritten at the HiROM position, where ExHiROM hardware reads it, and
  // before any copy of its bank, so that each copy is written once.
  WriteRomByte(base + kHiRomHeader + kMapModeField, (rom.map_mode & 0xF5) | kKindExHiRom);
  WriteRomByte(base + kHiRomHeader + kRomSizeField, kExHiRomRomSize);
  const bool mirrored = hirom && (size_code & kMirrorFlag) != 0 && MirrorUpperHalves(rom);
  if (rom.old_length <= kHighHeaderBank && !mirrored) {
    CopyBank(base + kUpperHalf, base + kHighHeaderBank);
  }
  return FinishRoute(base + rom.target, rom.target);
}

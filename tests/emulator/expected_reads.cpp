#include "expected_reads.h"

#include <algorithm>
#include <cstdio>
#include <sstream>

namespace {

constexpr uint32_t kMegabit = 0x20000;
constexpr uint32_t kFourMegabytes = 0x400000;

bool IsPowerOfTwo(uint32_t value) {
  return value != 0 && (value & (value - 1)) == 0;
}

// Decoding of an address into a ROM offset before the image's length is considered.
std::optional<uint32_t> Decode(Board board, uint32_t bank, uint32_t address) {
  const bool upper = address >= 0x8000;
  const uint32_t low15 = address & 0x7FFF;
  switch (board) {
    case Board::kLoRom:
      if (!upper) return std::nullopt;
      return (bank & 0x7F) << 15 | low15;
    case Board::kHiRom:
      if (bank < 0x40 || (bank >= 0x80 && bank < 0xC0)) {
        if (!upper) return std::nullopt;
      }
      return (bank & 0x3F) << 16 | address;
    case Board::kExHiRom: {
      // A23 inverted: $C0-$FF and $80-$BF reach the first 4 MiB, $40-$7D and $00-$3F the rest.
      const uint32_t high = bank & 0x80 ? 0 : kFourMegabytes;
      if ((bank & 0x40) == 0 && !upper) return std::nullopt;
      return high | (bank & 0x3F) << 16 | address;
    }
    case Board::kSa1: {
      // Power-on bank registers C, D, E, F = 0, 1, 2, 3: 1 MiB each.
      if (bank >= 0xC0) return (bank - 0xC0) << 16 | address;
      if ((bank & 0x40) || !upper) return std::nullopt;
      const uint32_t megabyte = (bank >> 5 & 1) | (bank >> 6 & 2);
      return megabyte << 20 | (bank & 0x1F) << 15 | low15;
    }
    case Board::kCoreExLoRom:
      if ((bank & 0x40) == 0) {
        if (!upper) return std::nullopt;
        return bank << 15 | low15;  // $80-$BF thus from 4 MiB
      }
      if (bank >= 0x80) return std::nullopt;
      return bank << 16 | address;
  }
  return std::nullopt;
}

std::optional<uint32_t> RomOffset(Board board, uint32_t bank, uint32_t address, uint32_t length) {
  if (bank == 0x7E || bank == 0x7F) return std::nullopt;  // work RAM on every board
  std::optional<uint32_t> offset = Decode(board, bank, address);
  if (!offset || *offset < length) return offset;
  // Past the end a ROM of a power-of-two size repeats; how other sizes repeat is up to the board.
  if (IsPowerOfTwo(length)) return *offset % length;
  return std::nullopt;
}

uint16_t WordAt(const std::vector<uint8_t>& wram, uint32_t offset) {
  return static_cast<uint16_t>(wram[offset] | wram[offset + 1] << 8);
}

std::string Describe(uint16_t word) {
  char text[48];
  const int bank = word & 0xFF;
  if (word == 0) return "zeros";
  if (word >> 8 == 'S')
    std::snprintf(text, sizeof(text), "bank %d start", bank);
  else if (word >> 8 == 'E')
    std::snprintf(text, sizeof(text), "bank %d end", bank);
  else
    std::snprintf(text, sizeof(text), "0x%04X", word);
  return text;
}

template <typename Visit>
void ForEachJudgedProbe(Board board, const std::vector<int>& banks, Visit visit) {
  const uint32_t length = static_cast<uint32_t>(banks.size()) * kBootBank;
  for (uint32_t bank = 0; bank < 0x100; ++bank) {
    for (uint32_t slot = 0; slot < std::size(kProbeOffsets); ++slot) {
      const uint32_t address = kProbeOffsets[slot];
      const std::optional<uint32_t> offset = RomOffset(board, bank, address, length);
      if (!offset) continue;
      const int origin = banks[*offset / kBootBank];
      uint16_t expected = 0;
      if (origin >= 0)
        expected = *offset % kBootBank == 0 ? StartSignature(static_cast<uint32_t>(origin))
                                            : EndSignature(static_cast<uint32_t>(origin));
      visit(bank, address, kResultsInWram + (bank * std::size(kProbeOffsets) + slot) * 2, expected);
    }
  }
}

}  // namespace

const char* BoardName(Board board) {
  switch (board) {
    case Board::kLoRom:
      return "LoROM";
    case Board::kHiRom:
      return "HiROM";
    case Board::kExHiRom:
      return "ExHiROM";
    case Board::kSa1:
      return "SA-1";
    case Board::kCoreExLoRom:
      return "ExLoROM";
  }
  return "?";
}

std::optional<Board> BoardFromCoreLog(const std::string& log) {
  // The core logs the board it built as BML; its ROM mapping lines tell the boards apart.
  static const struct {
    Board board;
    const char* rom_maps;
  } kKnown[] = {
      {Board::kLoRom, "00-7f,80-ff:8000-ffff mask=0x8000;"},
      {Board::kHiRom, "00-3f,80-bf:8000-ffff;40-7f,c0-ff:0000-ffff;"},
      {Board::kCoreExLoRom, "00-3f,80-bf:8000-ffff mask=0x8000;40-7f:0000-ffff;"},
      {Board::kExHiRom,
       "00-3f:8000-ffff base=0x400000;40-7f:0000-ffff base=0x400000;"
       "80-bf:8000-ffff mask=0xc00000;c0-ff:0000-ffff mask=0xc00000;"},
  };
  std::istringstream lines(log);
  std::string line, rom_maps;
  bool sa1 = false;
  for (const std::string prefix = "map id=rom address="; std::getline(lines, line);) {
    if (line.rfind("core:", 0) != 0) continue;
    const size_t start = line.find_first_not_of(' ', 5);
    if (start == std::string::npos) continue;
    const std::string text = line.substr(start);
    if (text == "sa1") sa1 = true;
    if (text.rfind(prefix, 0) == 0) rom_maps += text.substr(prefix.size()) + ";";
  }
  if (sa1) return Board::kSa1;
  for (const auto& known : kKnown)
    if (rom_maps == known.rom_maps) return known.board;
  return std::nullopt;
}

const std::vector<Target>& AllTargets() {
  static const std::vector<Target> kTargets = {
      {"1", Route::kPlain, 1, 0},
      {"2", Route::kPlain, 2, 0},
      {"4", Route::kPlain, 4, 0},
      {"8", Route::kPlain, 8, 0},
      {"12", Route::kPlain, 12, 0},
      {"16", Route::kPlain, 16, 0},
      {"20", Route::kPlain, 20, 0},
      {"24", Route::kPlain, 24, 0},
      {"28", Route::kPlain, 28, 0},
      {"32", Route::kPlain, 32, 0},
      {"1MB", Route::kPlain, 8, 0},
      {"1.5MB", Route::kPlain, 12, 0},
      {"2MB", Route::kPlain, 16, 0},
      {"2.5MB", Route::kPlain, 20, 0},
      {"3MB", Route::kPlain, 24, 0},
      {"3.5MB", Route::kPlain, 28, 0},
      {"4MB", Route::kPlain, 32, 0},
      {"48_EXHIROM", Route::kExHiRom, 48, 0},
      {"48_EXHIROM_3", Route::kExHiRom, 48, 3},
      {"64_EXHIROM", Route::kExHiRom, 64, 0},
      {"64_EXHIROM_3", Route::kExHiRom, 64, 3},
      {"48_EXLOROM_1", Route::kExLoRom, 48, 1},
      {"48_EXLOROM_2", Route::kExLoRom, 48, 2},
      {"48_EXLOROM_3", Route::kExLoRom, 48, 3},
      {"64_EXLOROM_1", Route::kExLoRom, 64, 1},
      {"64_EXLOROM_2", Route::kExLoRom, 64, 2},
      {"64_EXLOROM_3", Route::kExLoRom, 64, 3},
      {"48_EXPCHIP", Route::kSpecialChip, 48, 0},
      {"64_EXPCHIP", Route::kSpecialChip, 64, 0},
  };
  return kTargets;
}

bool Converts(const BootImageOptions& source, const Target& target) {
  switch (target.route) {
    case Route::kPlain:
      return true;
    case Route::kExHiRom:
      return source.map == BootMap::kHiRom ||
             (source.map == BootMap::kLoRom && source.data_length <= 8 * kMegabit);
    case Route::kExLoRom:
      return source.map == BootMap::kLoRom;
    case Route::kSpecialChip:
      return source.map == BootMap::kSa1;
  }
  return false;
}

Board ExpectedBoard(const BootImageOptions& source, const Target& target) {
  if (target.route == Route::kExHiRom) return Board::kExHiRom;
  if (target.route == Route::kExLoRom) return Board::kCoreExLoRom;
  switch (source.map) {
    case BootMap::kLoRom:
      return Board::kLoRom;
    case BootMap::kHiRom:
      return Board::kHiRom;
    case BootMap::kSa1:
      return Board::kSa1;
  }
  return Board::kLoRom;
}

std::vector<int> ExpectedBanks(const BootImageOptions& source, const Target& target) {
  const int old_banks = static_cast<int>(source.data_length / kBootBank);
  const int new_banks = static_cast<int>(target.megabits * kMegabit / kBootBank);
  std::vector<int> banks(static_cast<size_t>(std::max(old_banks, new_banks)), -1);
  for (int bank = 0; bank < old_banks; ++bank) banks[bank] = bank;
  if (new_banks <= old_banks) return banks;
  constexpr int kHighHeaderBank =
      0x408000 / kBootBank;  // upper half of the first block above 4 MiB

  if (target.route == Route::kExHiRom && source.map == BootMap::kLoRom) {
    // Bank k becomes the upper half of block 64 + k; bank 0 also the header bank; the rest zeros.
    std::fill(banks.begin(), banks.end(), -1);
    banks[1] = 0;
    for (int bank = 0; bank < old_banks; ++bank) banks[kHighHeaderBank + 2 * bank] = bank;
  } else if (target.route == Route::kExHiRom) {
    if (target.variant == 3) {
      // The upper half of every block of the first 4 MiB repeats in the block 4 MiB above it.
      for (int block = 0; block < (new_banks - 128) / 2; ++block)
        banks[kHighHeaderBank + 2 * block] = banks[2 * block + 1];
    }
    banks[kHighHeaderBank] = 1;  // the header bank, where an ExHiROM board boots from
  } else if (target.route == Route::kExLoRom) {
    // Bank 0 repeats at 4 MiB; variants 1 and 3 also copy banks up to 28 Mbit, 1 then clears them.
    banks[128] = 0;
    const int copied = std::min(old_banks, 112);
    for (int bank = 1; bank < copied && target.variant != 2; ++bank) {
      banks[128 + bank] = bank;
      if (target.variant == 1) banks[bank] = -1;
    }
  }
  return banks;
}

bool ProbeFinished(const std::vector<uint8_t>& wram) {
  static const uint8_t kMarker[] = {'D', 'O', 'N', 'E', 0x00, 0x08};  // then 0x800 bytes stored
  return wram.size() >= kMarkerInWram + sizeof(kMarker) &&
         std::equal(std::begin(kMarker), std::end(kMarker), wram.begin() + kMarkerInWram);
}

std::vector<std::string> ProbeMismatches(const std::vector<uint8_t>& wram, Board board,
                                         const std::vector<int>& banks) {
  std::vector<std::string> mismatches;
  if (wram.size() < kMarkerInWram) return {"no work RAM"};
  ForEachJudgedProbe(board, banks,
                     [&](uint32_t bank, uint32_t address, uint32_t at, uint16_t expected) {
                       const uint16_t read = WordAt(wram, at);
                       if (read == expected) return;
                       char text[120];
                       std::snprintf(text, sizeof(text), "$%02X:%04X read %s, expected %s", bank,
                                     address, Describe(read).c_str(), Describe(expected).c_str());
                       mismatches.push_back(text);
                     });
  return mismatches;
}

unsigned JudgedProbes(Board board, const std::vector<int>& banks) {
  unsigned count = 0;
  ForEachJudgedProbe(board, banks, [&](uint32_t, uint32_t, uint32_t, uint16_t) { ++count; });
  return count;
}

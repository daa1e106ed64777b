#include "header_by_contents.h"

#include <cstring>

#include "header_probe.h"
#include "rom_file.h"

namespace {

constexpr uint32_t kHeaderSpan = 0x40;    // from the title to the end of the vectors
constexpr uint32_t kHighArea = 0x400000;  // where ExLoROM and ExHiROM boards read the header
constexpr uint32_t kRomWindow = 0x8000;   // bank $00 shows ROM from $8000 on
constexpr uint8_t kExtendedHeaderMaker = 0x33;

// A tie goes to the earlier: LoROM first, as with the checksum pair, then as the loaders order.
constexpr uint32_t kCandidates[] = {kLoRomHeader, kHiRomHeader, kHighArea + kLoRomHeader,
                                    kHighArea + kHiRomHeader};

// The instructions reset handlers start with, as loaders weigh them: SEI, CLC, SEC, STZ, JMP
// and JML are likely; REP, SEP, the loads, JSR and JSL plausible; anything else is no start.
constexpr uint8_t kLikelyFirst[] = {0x78, 0x18, 0x38, 0x9C, 0x4C, 0x5C};
constexpr uint8_t kPlausibleFirst[] = {0xC2, 0xE2, 0xAD, 0xAE, 0xAC, 0xAF,
                                       0xA9, 0xA2, 0xA0, 0x20, 0x22};

int FirstInstructionPoints(uint8_t opcode) {
  if (std::memchr(kLikelyFirst, opcode, sizeof(kLikelyFirst)) != nullptr) return 8;
  if (std::memchr(kPlausibleFirst, opcode, sizeof(kPlausibleFirst)) != nullptr) return 4;
  return 0;
}

// ASCII, or the half-width katakana of Japanese titles.
bool TitleIsText(const uint8_t* title) {
  for (uint32_t i = 0; i < kTitleLength; ++i) {
    const bool ascii = title[i] >= 0x20 && title[i] < 0x7F;
    const bool katakana = title[i] >= 0xA1 && title[i] <= 0xDF;
    if (!ascii && !katakana) return false;
  }
  return true;
}

// 0 for no header. A loader that guesses wrong only fails to boot; a checksum fix that guesses
// wrong writes into game data: so a header needs a reset vector into ROM, a first instruction
// there and a map mode of its position's family, and the other hints only rank such headers.
int ScoreCandidate(uint32_t header_base, uint32_t data_length, uint32_t candidate) {
  if (candidate + kHeaderSpan > data_length) return 0;
  uint8_t fields[kHeaderSpan] = {};
  ReadRomBytes(header_base + candidate, fields, kHeaderSpan);
  const uint32_t reset = HeaderWord(fields, kResetVectorField);
  if (reset < kRomWindow) return 0;
  // Every map shows the bank that holds the header at $00:8000, where the CPU starts.
  uint8_t opcode = 0;
  const uint32_t header_bank = candidate & ~(kBankSize - 1);
  ReadRomBytes(header_base + header_bank + (reset & (kBankSize - 1)), &opcode, 1);
  const uint8_t map_mode = fields[kMapModeField];
  const bool family =
      (candidate & kBankSize) != 0 ? IsHiRomMapMode(map_mode) : IsLoRomMapMode(map_mode);
  int score = FirstInstructionPoints(opcode);
  if (score == 0 || !family) return 0;
  const uint16_t pair = HeaderWord(fields, kComplementField) ^ HeaderWord(fields, kChecksumField);
  if (pair == 0xFFFF) score += 4;
  if (fields[kMakerField] == kExtendedHeaderMaker) score += 2;
  if (fields[kRomSizeField] < 0x10) ++score;
  if (fields[kSramSizeField] < 0x08) ++score;
  if (fields[kRegionField] < kRegionCount) ++score;
  if (TitleIsText(fields + kTitleField)) ++score;
  // Above 4 MiB the ROM is extended, and its board reads the header there.
  if (candidate >= kHighArea) score += 4;
  return score;
}

}  // namespace

uint32_t FindHeaderByContents(uint32_t file_length) {
  const uint32_t header_base = HeaderBase(file_length);
  uint32_t best = 0;
  int best_score = 0;
  for (const uint32_t candidate : kCandidates) {
    const int score = ScoreCandidate(header_base, RomDataLength(file_length), candidate);
    if (score > best_score) {
      best = header_base + candidate;
      best_score = score;
    }
  }
  return best;
}

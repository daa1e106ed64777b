// What the bootable test ROM must read after an expansion, stated independently of the engine:
// where each target layout puts every original 32 KiB bank, and where each board's address
// decoding lets the CPU find a given ROM offset.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "boot_image.h"

enum class Board {
  kLoRom,
  kHiRom,
  kExHiRom,
  kSa1,  // with the power-on bank registers: the first 4 MiB, 1 MiB per bank group
  // bsnes-mercury decodes ExLoROM its own way: $00-$3F:8000 reaches the first 4 MiB LoROM-style,
  // $80-$BF:8000 and $40-$7F:0000 (HiROM-style) the area from 4 MiB, and $C0-$FF nothing. The
  // usual boards do the opposite, so what this board reads proves the image, not the usual map.
  kCoreExLoRom,
};

const char* BoardName(Board board);

// The board the core's log says it built from the image's header, if it is one of these.
std::optional<Board> BoardFromCoreLog(const std::string& log);

enum class Route { kPlain, kExHiRom, kExLoRom, kSpecialChip };

struct Target {
  const char* size_name;
  Route route;
  uint32_t megabits;
  int variant;  // ExHiROM: 3 for the mirroring names; ExLoROM: 1 to 3; otherwise 0
};

const std::vector<Target>& AllTargets();

// Whether romspan takes `source` to `target` at all (it refuses, say, a HiROM with an ExLoROM
// size).
bool Converts(const BootImageOptions& source, const Target& target);

Board ExpectedBoard(const BootImageOptions& source, const Target& target);

// For every 32 KiB bank of the expanded image, the original bank it holds, or -1 for zeros.
std::vector<int> ExpectedBanks(const BootImageOptions& source, const Target& target);

// The probe results and the completion marker the test ROM leaves in work RAM.
inline constexpr uint32_t kResultsInWram = 0x2000;
inline constexpr uint32_t kMarkerInWram = 0x2FF0;
inline constexpr uint16_t kProbeOffsets[] = {0x0000, 0x7FF0, 0x8000, 0xFFF0};

bool ProbeFinished(const std::vector<uint8_t>& wram);

// One line per probed address whose word differs from what `board` must read from an image laid
// out as `banks`; addresses that reach no ROM on that board are not judged.
std::vector<std::string> ProbeMismatches(const std::vector<uint8_t>& wram, Board board,
                                         const std::vector<int>& banks);

// How many probed addresses `board` maps into an image of `banks`: the reach of the check.
unsigned JudgedProbes(Board board, const std::vector<int>& banks);

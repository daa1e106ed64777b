// What a ROM is before anything is done to it: its layout, its internal header, its checksum
// and what each size name would do to it, found by the same probe, sum and routes the jobs use.
#pragma once

#include <cstdint>

#include "copier_header.h"
#include "platform_calls.h"
#include "size_names.h"

enum class TargetVerdict {
  kExpands,   // the route would write the expanded ROM
  kNoEffect,  // the ROM already has the target size or more
  kRefused,   // the route would cancel, or the job fail, before writing
};

struct TargetOutcome {
  TargetVerdict verdict = TargetVerdict::kRefused;
  const char* reason = nullptr;  // for kRefused: the text a run would report
};

struct RomFacts {
  uint64_t file_size = 0;
  bool measurable = false;  // under 4 GiB; only then is the rest gathered
  uint32_t header_base = 0;
  uint8_t copier_header[kCopierHeaderSignature] = {};  // its first bytes, which name its layout
  uint32_t data_length = 0;                            // copier header excluded
  uint32_t header = 0;      // ROM offset of the header in use; 0 for none
  bool pair_found = false;  // a valid checksum pair at 0x7FC0 or 0xFFC0, as the expansion needs
  bool other_pair_valid = false;
  uint32_t header_copy = 0;   // ROM offset of its copy 4 MiB away, 0 for none
  uint8_t fields[0x20] = {};  // the header in use, from its title to its checksum
  uint16_t computed_checksum = 0;
  bool checksum_matches = false;
  TargetOutcome targets[kSizeNameCount];
};

// Opens the ROM at rom_path for reading only and fills `facts`. Reports and returns false when
// it cannot be opened; never writes.
bool GatherRomFacts(WindowHandle owner, RomFacts* facts);

// Hands each fact to `sink` as a name and a value, in a fixed order: "Target NAME" for each
// size name, with "expands" (saying so when the ROM-size byte stays), "no effect" or
// "refused (REASON)".
using FactSink = void (*)(void* context, const char* name, const char* value);
void ListRomFacts(const RomFacts& facts, FactSink sink, void* context);

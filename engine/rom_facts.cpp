#include "rom_facts.h"

#include <cstdio>

#include "copier_header.h"
#include "expansion_job.h"
#include "header_probe.h"
#include "notify.h"
#include "rom_checksum.h"
#include "rom_file.h"
#include "size_code.h"

namespace {

constexpr uint32_t kFourMiB = 0x400000;

const char* FailedText() {
  return LookUpMessage(Message::kFailed).text;
}

// Runs the route on the ROM opened for reading, where every write fails without effect. Routes
// decide every cancel before their first write, so the first write attempted means the run
// would expand the ROM.
TargetOutcome JudgeTarget(uint32_t size_code) {
  if (!OpenRomFile(rom_path, RomAccess::kRead)) return {TargetVerdict::kRefused, FailedText()};
  NotifyCapture capture;
  CaptureNotifications(&capture);
  const uint32_t result = ExpandRom(nullptr, size_code);
  CaptureNotifications(nullptr);
  const bool written = RomFileWritten();
  CloseRomFile();
  if (written) return {TargetVerdict::kExpands, nullptr};
  if (result != 0) return {TargetVerdict::kNoEffect, nullptr};
  return {TargetVerdict::kRefused, capture.text != nullptr ? capture.text : FailedText()};
}

void GatherHeaderFacts(RomFacts* facts) {
  const uint32_t file_length = RomFileLength();
  facts->header_base = HeaderBase(file_length);
  if (facts->header_base != 0) ReadRomBytes(0, facts->copier_header, sizeof facts->copier_header);
  facts->data_length = RomDataLength(file_length);
  facts->pair_found = FindInternalHeader(facts->header_base) != 0;
  uint32_t headers[2] = {};
  const uint32_t count = FindChecksumHeaders(file_length, headers);
  if (count == 0) return;
  facts->computed_checksum = ComputeRomChecksum(file_length, headers, count);
  facts->header = headers[0] - facts->header_base;
  const uint32_t other = facts->header == kLoRomHeader ? kHiRomHeader : kLoRomHeader;
  facts->other_pair_valid = ChecksumPairValid(facts->header_base + other);
  if (count == 2) facts->header_copy = headers[1] - facts->header_base;
  ReadRomBytes(headers[0], facts->fields, sizeof(facts->fields));
  facts->checksum_matches = ChecksumPairsHold(headers, count, facts->computed_checksum);
}

// The family and speed a map mode byte names, or null for no map mode. Kind 2 is S-DD1 on its
// own boards and ExLoROM elsewhere; a plain LoROM over 4 MiB can only be ExLoROM.
const char* MapKind(uint8_t map_mode, uint8_t chipset, uint32_t data_length) {
  if (!IsLoRomMapMode(map_mode) && !IsHiRomMapMode(map_mode)) return nullptr;
  switch (map_mode & 0x0F) {
    case 0x0:
      return data_length > kFourMiB ? "ExLoROM" : "LoROM";
    case 0x1:
      return "HiROM";
    case 0x2:
      return chipset >> 4 == 0x4 ? "S-DD1" : "ExLoROM";
    case 0x3:
      return "SA-1";
    default:
      return "ExHiROM";
  }
}

// What the cartridge holds beside its ROM: the low digit says which parts, from 3 on with the
// coprocessor the high digit names.
void DescribeChipset(uint8_t chipset, char* out, size_t capacity) {
  static constexpr const char* kCoprocessors[16] = {
      "DSP",   "SuperFX", "OBC1",  "SA-1",  "S-DD1", "S-RTC", nullptr,      nullptr,
      nullptr, nullptr,   nullptr, nullptr, nullptr, nullptr, "other chip", "custom chip"};
  static constexpr const char* kParts[16] = {"",
                                             ", RAM",
                                             ", RAM, battery",
                                             "",
                                             ", RAM",
                                             ", RAM, battery",
                                             ", battery",
                                             nullptr,
                                             nullptr,
                                             ", RAM, battery, RTC",
                                             ", RAM, battery"};
  const char* parts = kParts[chipset & 0x0F];
  const char* coprocessor = kCoprocessors[chipset >> 4];
  if ((chipset & 0x0F) < 3 && chipset >> 4 == 0) {
    std::snprintf(out, capacity, "0x%02X (ROM%s)", chipset, parts);
  } else if ((chipset & 0x0F) >= 3 && parts != nullptr && coprocessor != nullptr) {
    std::snprintf(out, capacity, "0x%02X (ROM, %s%s)", chipset, coprocessor, parts);
  } else {
    std::snprintf(out, capacity, "0x%02X (unknown)", chipset);
  }
}

const char* RegionName(uint8_t region) {
  static constexpr const char* kRegions[] = {
      "Japan",     "North America", "Europe",        "Scandinavia", "Finland", "Denmark",
      "France",    "Netherlands",   "Spain",         "Germany",     "Italy",   "China",
      "Indonesia", "South Korea",   "International", "Canada",      "Brazil",  "Australia"};
  static_assert(sizeof(kRegions) / sizeof(kRegions[0]) == kRegionCount);
  return region < kRegionCount ? kRegions[region] : "unknown";
}

// A size byte v declares 2^v KiB.
void DescribeSizeByte(uint8_t value, bool zero_is_none, char* out, size_t capacity) {
  if (zero_is_none && value == 0) {
    std::snprintf(out, capacity, "0x%02X (none)", value);
  } else if (value > 15) {
    std::snprintf(out, capacity, "0x%02X (unknown)", value);
  } else if (value >= 10) {
    std::snprintf(out, capacity, "0x%02X (%u MiB)", value, 1u << (value - 10));
  } else {
    std::snprintf(out, capacity, "0x%02X (%u KiB)", value, 1u << value);
  }
}

// Printable ASCII as it is; every other byte, and the backslash, escaped. Titles are padded
// with blanks, which are left off.
void DescribeTitle(const uint8_t* title, char* out) {
  uint32_t length = kTitleLength;
  while (length > 0 && title[length - 1] == ' ') --length;
  for (uint32_t i = 0; i < length; ++i) {
    const uint8_t c = title[i];
    if (c == '\\') {
      *out++ = '\\';
      *out++ = '\\';
    } else if (c >= 0x20 && c < 0x7F) {
      *out++ = static_cast<char>(c);
    } else {
      out += std::snprintf(out, 5, "\\x%02X", c);
    }
  }
  *out = '\0';
}

// The expansion finds a header only by a valid pair at 0x7FC0 or 0xFFC0: one found by its
// contents serves it once -FixChecksum has written the pair there.
const char* HowHeaderWasFound(const RomFacts& facts) {
  if (facts.pair_found) return "its valid checksum pair";
  const bool low =
      facts.header < kFourMiB || (facts.header_copy != 0 && facts.header_copy < kFourMiB);
  return low ? "its contents (the checksum pair is broken: -FixChecksum repairs it)"
             : "its contents (no valid checksum pair at 0x7FC0 or 0xFFC0, where the expansion "
               "looks)";
}

void ListHeaderFacts(const RomFacts& facts, FactSink sink, void* context) {
  char value[96];
  std::snprintf(value, sizeof(value), "0x%04X", facts.header);
  sink(context, "Header position", value);
  sink(context, "Header found by", HowHeaderWasFound(facts));
  if (facts.pair_found) {
    sink(context, "Valid pair at the other position", facts.other_pair_valid ? "yes" : "no");
  }
  if (facts.data_length > kFourMiB) {
    std::snprintf(value, sizeof(value), "0x%06X", facts.header_copy);
    sink(context, "Header copy", facts.header_copy != 0 ? value : "none");
  }
  DescribeTitle(facts.fields + kTitleField, value);
  sink(context, "Title", value);
  const uint8_t map_mode = facts.fields[kMapModeField];
  const uint8_t chipset = facts.fields[kChipsetField];
  const char* kind = MapKind(map_mode, chipset, facts.data_length);
  if (kind == nullptr) {
    std::snprintf(value, sizeof(value), "0x%02X (no map mode)", map_mode);
  } else {
    std::snprintf(value, sizeof(value), "0x%02X (%s, %s)", map_mode, kind,
                  (map_mode & 0x10) != 0 ? "FastROM" : "SlowROM");
  }
  sink(context, "Map mode", value);
  DescribeChipset(chipset, value, sizeof(value));
  sink(context, "Chipset", value);
  DescribeSizeByte(facts.fields[kRomSizeField], false, value, sizeof(value));
  sink(context, "ROM size", value);
  DescribeSizeByte(facts.fields[kSramSizeField], true, value, sizeof(value));
  sink(context, "SRAM size", value);
  const uint8_t region = facts.fields[kRegionField];
  std::snprintf(value, sizeof(value), "0x%02X (%s)", region, RegionName(region));
  sink(context, "Region", value);
  const uint8_t version = facts.fields[kVersionField];
  std::snprintf(value, sizeof(value), "0x%02X (1.%u)", version, version);
  sink(context, "Version", value);
  std::snprintf(value, sizeof(value), "0x%04X", HeaderWord(facts.fields, kComplementField));
  sink(context, "Stored complement", value);
  std::snprintf(value, sizeof(value), "0x%04X", HeaderWord(facts.fields, kChecksumField));
  sink(context, "Stored checksum", value);
  std::snprintf(value, sizeof(value), "0x%04X", facts.computed_checksum);
  sink(context, "Computed checksum", value);
  sink(context, "Checksum", facts.checksum_matches ? "matches" : "does not match");
}

}  // namespace

bool GatherRomFacts(WindowHandle owner, RomFacts* facts) {
  *facts = RomFacts{};
  if (!OpenRomFile(rom_path, RomAccess::kRead)) {
    Notify(owner, Message::kCannotRead);
    return false;
  }
  RomFileSize(&facts->file_size);
  facts->measurable = RomFileIsUsable();
  if (facts->measurable) GatherHeaderFacts(facts);
  CloseRomFile();
  for (size_t i = 0; i < kSizeNameCount; ++i)
    facts->targets[i] = JudgeTarget(kSizeNames[i].size_code);
  return true;
}

void ListRomFacts(const RomFacts& facts, FactSink sink, void* context) {
  char value[160];
  std::snprintf(value, sizeof(value), "%llu bytes",
                static_cast<unsigned long long>(facts.file_size));
  sink(context, "File size", value);
  if (facts.measurable) {
    if (facts.header_base != 0) {
      DescribeCopierHeader(facts.copier_header, value, sizeof(value));
    }
    sink(context, "Copier header", facts.header_base != 0 ? value : "no");
    const uint32_t length = facts.data_length;
    if (length % kMbitBytes == 0) {
      std::snprintf(value, sizeof(value), "%u bytes (%u Mbit)", length, length >> kMbitShift);
    } else {
      std::snprintf(value, sizeof(value), "%u bytes (%.2f Mbit)", length,
                    static_cast<double>(length) / kMbitBytes);
    }
    sink(context, "ROM data size", value);
    if (facts.header != 0) {
      ListHeaderFacts(facts, sink, context);
    } else {
      sink(context, "Header position", "none");
    }
  }
  for (size_t i = 0; i < kSizeNameCount; ++i) {
    const TargetOutcome& outcome = facts.targets[i];
    char name[48];
    std::snprintf(name, sizeof(name), "Target %s", kSizeNames[i].name);
    switch (outcome.verdict) {
      case TargetVerdict::kExpands:
        // Only the plain route expands without a valid pair, and it leaves the header alone.
        sink(context, name,
             facts.pair_found ? "expands"
                              : "expands (the ROM-size byte stays: no valid checksum pair)");
        break;
      case TargetVerdict::kNoEffect:
        sink(context, name, "no effect");
        break;
      case TargetVerdict::kRefused:
        std::snprintf(value, sizeof(value), "refused (%s)", outcome.reason);
        sink(context, name, value);
        break;
    }
  }
}

// Every size code against many source images: a job either cancels and leaves the file as it
// was, or every old 32 KiB bank is still found at its old place or at the place the target
// layout gives it, in a file of the expected length.
#include <algorithm>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include "job_harness.h"

namespace {

constexpr uint32_t kCodes[] = {0x1,    0x2,    0x4,    0x8,    0xC,     0x10,   0x14,   0x18,
                               0x1C,   0x20,   0x30,   0x130,  0x40,    0x140,  0x1030, 0x2030,
                               0x4030, 0x1040, 0x2040, 0x4040, 0x10030, 0x10040};

struct Source {
  uint32_t length;
  uint8_t map;
  bool copier;
};

void PrintTo(const Source& source, std::ostream* out) {
  *out << std::hex << "0x" << source.length << " bytes, map 0x" << int{source.map}
       << (source.copier ? ", copier header" : "");
}

uint32_t Word(const Bytes& image, uint32_t at) {
  return at + 1 < image.size() ? image[at] | image[at + 1] << 8 : 0;
}

// What the job should do with `image` and `code`: the cancel message ("" when it goes ahead),
// the file length afterwards and, for each old bank, the ROM offsets where it must be found.
struct Plan {
  std::string cancel;
  uint32_t length = 0;
  std::vector<std::vector<uint32_t>> places;
};

Plan PlanFor(const Bytes& image, uint32_t code) {
  const uint32_t base = image.size() & 0x200, old = image.size() & ~0x200u;
  const uint32_t target = (code & 0xFF) << 17, banks = (old + 0x7FFF) / 0x8000;
  Plan plan;
  plan.length = base + target;
  uint32_t header = 0;
  for (const uint32_t at : {base + 0x7FC0, base + 0xFFC0}) {
    if ((Word(image, at + 0x1C) ^ Word(image, at + 0x1E)) == 0xFFFF) {
      header = at;
      break;
    }
  }
  const uint8_t kind = header ? image[header + 0x15] & 0xF : 0xFF;
  const uint8_t chipset = header ? image[header + 0x16] : 0;
  const bool lorom_path = kind == 0;
  const bool exlo_copies = old <= 0x400000 && (code & 0x5000) != 0;
  enum {
    kPlain,
    kExHi,
    kExLo,
    kChip
  } route = target <= 0x400000 ? kPlain
            : code & 0xF0000   ? kChip
            : code & 0xF000    ? kExLo
                               : kExHi;
  if (route != kPlain && header == 0) {
    plan.cancel = kMapUnknown;
  } else if (route == kExHi && lorom_path && old > 0x100000) {
    plan.cancel = kLoRomTooLarge;
  } else if (route == kExHi && kind != 0 && kind != 1 && kind != 5) {
    plan.cancel = kNotHiOrLoRom;
  } else if (route == kExLo && kind != 0) {
    plan.cancel = kNotLoRom;
  } else if (route == kChip && kind != 2 && kind != 3 && chipset != 0x13 && chipset != 0x14 &&
             chipset != 0x15 && chipset != 0x1A) {
    plan.cancel = kNotSpecialChip;
  }
  if (route == kExLo && exlo_copies) {
    const uint32_t copied = std::min(banks, 0x70u);
    plan.length = std::max(plan.length, base + 0x400000 + copied * 0x8000);
  }
  for (uint32_t k = 0; k < banks; ++k) {
    std::vector<uint32_t> at = {k * 0x8000};
    if (route == kExHi && lorom_path) {
      at = {0x408000 + k * 0x10000};
      if (k == 0) at.push_back(0x8000);
    } else if (route == kExLo && old <= 0x400000 &&
               (k == 0 || (exlo_copies && k * 0x8000 < 0x380000))) {
      if (k != 0 && (code & 0x1000)) at.clear();
      at.push_back(0x400000 + k * 0x8000);
    }
    plan.places.push_back(at);
  }
  return plan;
}

// Header bytes a route may rewrite, as offsets in the old ROM data.
bool Rewritten(uint32_t offset) {
  return offset == 0x7FD5 || offset == 0x7FD7 || offset == 0xFFD5 || offset == 0xFFD7 ||
         (offset >= 0xA60 && offset < 0xA64);
}

class PreservationSweep : public testing::TestWithParam<Source> {};

TEST_P(PreservationSweep, EverySizeCode) {
  const Source source = GetParam();
  const bool lo_header = (source.map & 0xF) != 1 && (source.map & 0xF) != 5;
  const Bytes image = MakeRomImage({.data_length = source.length,
                                    .copier_header = source.copier,
                                    .header = lo_header ? HeaderAt::kLoRom : HeaderAt::kHiRom,
                                    .map_mode = source.map});
  const uint32_t base = image.size() & 0x200, old = image.size() & ~0x200u;
  for (const uint32_t code : kCodes) {
    SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << code);
    const JobRun run = RunJob(image, code);
    if (old >= (code & 0xFF) << 17) {
      EXPECT_EQ(run.out, kNoEffect);
      EXPECT_TRUE(SameBytes(run.file, image));
      continue;
    }
    const Plan plan = PlanFor(image, code);
    if (!plan.cancel.empty()) {
      EXPECT_EQ(run.out, plan.cancel + kFailed);
      EXPECT_TRUE(SameBytes(run.file, image));
      continue;
    }
    EXPECT_EQ(run.out, kDone);
    ASSERT_EQ(run.file.size(), plan.length);
    for (uint32_t k = 0; k < plan.places.size(); ++k) {
      for (const uint32_t place : plan.places[k]) {
        for (uint32_t i = 0; i < 0x8000 && k * 0x8000 + i < old; ++i) {
          const uint32_t from = base + k * 0x8000 + i;
          if (Rewritten(k * 0x8000 + i) || run.file[base + place + i] == image[from]) continue;
          ADD_FAILURE() << std::hex << "bank 0x" << k << " not found at 0x" << place
                        << ": differs at its byte 0x" << i;
          break;
        }
      }
    }
  }
}

std::vector<Source> Sources() {
  std::vector<Source> sources;
  for (const uint32_t length : {0x8000u, 0x18000u, 0x80000u, 0x100000u, 0xFFFFFu, 0x123456u,
                                0x300000u, 0x380000u, 0x3F0000u, 0x400000u, 0x500000u, 0x600000u})
    for (const uint8_t map : {0x20, 0x21, 0x25, 0x23})
      for (const bool copier : {false, true}) sources.push_back({length, map, copier});
  return sources;
}

INSTANTIATE_TEST_SUITE_P(Sources, PreservationSweep, testing::ValuesIn(Sources()),
                         [](const testing::TestParamInfo<Source>& info) {
                           char name[40];
                           std::snprintf(name, sizeof(name), "len%X_map%02X%s", info.param.length,
                                         info.param.map, info.param.copier ? "_copier" : "");
                           return std::string(name);
                         });

}  // namespace

// Whole-file layouts each route leaves, with and without a copier header. The expected files are
// stated as tables of moved ranges and header bytes over the original image.
#include <string>
#include <utility>
#include <vector>

#include "job_harness.h"

namespace {

struct Layout {
  const char* name;
  RomSpec rom;
  uint32_t code;
  uint32_t length;  // ROM data length afterwards
  std::vector<Span> spans;
  std::vector<Patch> patches;
  std::vector<std::pair<uint32_t, std::string>> edits = {};  // written into the source first
};

RomSpec Lo(uint32_t length, uint8_t map = 0x20, uint8_t chipset = 0, const char* title = "T") {
  return {.data_length = length, .map_mode = map, .chipset = chipset, .title = title};
}
RomSpec Hi(uint32_t length, uint8_t map = 0x21) {
  return {.data_length = length, .header = HeaderAt::kHiRom, .map_mode = map};
}
RomSpec At(HeaderAt at, uint32_t length, uint8_t map = 0x20) {
  return {.data_length = length, .header = at, .map_mode = map};
}

// A HiROM's game data that happens to form a valid pair at 0x7FDC, beside no map mode.
const std::vector<std::pair<uint32_t, std::string>> kStrayLoRomPair = {
    {0x7FD5, std::string(1, '\0')}, {0x7FDC, std::string("\x34\x12\xCB\xED")}};

std::vector<Span> operator+(std::vector<Span> a, const std::vector<Span>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ExHiROM header bytes at 0xFFD5/0xFFD7, and in the copy at 0x408000 when `copied`.
std::vector<Patch> ExHiHeader(uint8_t map, bool copied) {
  std::vector<Patch> patches = {{0xFFD5, map}, {0xFFD7, 13}};
  if (copied) patches.insert(patches.end(), {{0x40FFD5, map}, {0x40FFD7, 13}});
  return patches;
}

void CheckLayouts(const std::vector<Layout>& cases) {
  for (const Layout& c : cases) {
    for (const bool copier : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << " code 0x" << std::hex << c.code
                                      << (copier ? " with copier header" : ""));
      RomSpec source = c.rom;
      source.copier_header = copier;
      Bytes image = MakeRomImage(source);
      const uint32_t base = copier ? 0x200 : 0;
      for (const auto& [at, text] : c.edits) Poke(image, base + at, text);
      const JobRun run = RunJob(image, c.code);
      EXPECT_TRUE(run.ok);
      EXPECT_EQ(run.out, kDone);
      EXPECT_TRUE(SameBytes(run.file, Expect(image, base, c.length, c.spans, c.patches)));
    }
  }
}

TEST(PlainExpansion, PadsAndWritesTheSizeByteOfTheValidHeader) {
  std::vector<Layout> cases = {
      {"4 Mbit LoROM", Lo(0x80000), 0x8, 0x100000, {}, {{0x7FD7, 0x0A}}},
      {"HiROM position only", Hi(0x100000), 0xC, 0x180000, {}, {{0xFFD7, 0x0B}}},
      {"both positions", At(HeaderAt::kBoth, 0x100000), 0x14, 0x280000, {}, {{0x7FD7, 0x0B}}},
      // With both pairs valid the HiROM position wins only on its map mode against no LoROM one.
      {"both, map 0x00", At(HeaderAt::kBoth, 0x100000, 0), 0xC, 0x180000, {}, {{0x7FD7, 0x0B}}},
      {"both, map 0x21", At(HeaderAt::kBoth, 0x100000, 0x21), 0xC, 0x180000, {}, {{0xFFD7, 0x0B}}},
      {"both, maps 0x30 and 0x31",
       At(HeaderAt::kBoth, 0x100000, 0x30),
       0xC,
       0x180000,
       {},
       {{0x7FD7, 0x0B}},
       {{0xFFD5, "\x31"}}},
      {"HiROM, stray pair", Hi(0x100000), 0xC, 0x180000, {}, {{0xFFD7, 0x0B}}, kStrayLoRomPair},
      {"no valid pair", At(HeaderAt::kNeither, 0x100000), 0x18, 0x300000, {}, {}},
      {"not a whole bank", Lo(0x123456), 0x14, 0x280000, {}, {{0x7FD7, 0x0B}}},
      {"SA-1 keeps its map", Lo(0x200000, 0x23, 0x34), 0x20, 0x400000, {}, {{0x7FD7, 0x0C}}},
  };
  // Flags of the other routes do not matter up to 32 Mbit.
  for (uint32_t code : {0x1020u, 0x2020u, 0x4020u, 0x8020u, 0x10020u, 0x120u})
    cases.push_back({"flags ignored", Hi(0x100000), code, 0x400000, {}, {{0xFFD7, 0x0C}}});
  const std::pair<uint32_t, uint8_t> bands[] = {
      {1, 8},    {2, 8},    {3, 8},    {4, 9},    {7, 9},    {8, 0xA},  {9, 0xA},  {10, 0xB},
      {12, 0xB}, {16, 0xB}, {20, 0xB}, {21, 0xC}, {24, 0xC}, {28, 0xC}, {32, 0xC},
  };
  for (const auto& [mbit, size_byte] : bands)
    cases.push_back({"size band", Lo(0x8000), mbit, mbit * 0x20000, {}, {{0x7FD7, size_byte}}});
  CheckLayouts(cases);
}

TEST(PlainExpansion, OneByteShortOf4MbitReadsAsACopierHeader) {
  // 0x7FFFF has bit 0x200 set: 0x200 header bytes and 0x7FDFF bytes of data, padded to 0x80000.
  const Bytes image = MakeRomImage(Lo(0x7FFFF));
  const JobRun run = RunJob(image, 0x4);
  EXPECT_EQ(run.out, kDone);
  EXPECT_TRUE(SameBytes(run.file, Expect(image, 0x200, 0x80000, {}, {})));
}

TEST(ExHiRomConversion, Layouts) {
  const auto lo_banks = [](uint32_t count) {
    return std::vector<Span>{{0, kZeros, 0x400000}, {0x8000, 0, 0x8000}} +
           Every(count, {0x408000, 0, 0x8000}, 0x10000, 0x8000);
  };
  const auto mirrors = [](uint32_t count, uint32_t first = 0) {
    return Every(count, {0x408000 + first * 0x10000, 0x8000 + first * 0x10000, 0x8000}, 0x10000,
                 0x10000);
  };
  const std::vector<Span> header_copy = {{0x408000, 0x8000, 0x8000}};
  CheckLayouts({
      {"8 Mbit LoROM", Lo(0x100000), 0x30, 0x600000, lo_banks(32), ExHiHeader(0x25, true)},
      {"8 Mbit LoROM", Lo(0x100000), 0x130, 0x600000, lo_banks(32), ExHiHeader(0x25, true)},
      {"8 Mbit LoROM", Lo(0x100000), 0x40, 0x800000, lo_banks(32), ExHiHeader(0x25, true)},
      {"4 Mbit LoROM", Lo(0x80000), 0x30, 0x600000, lo_banks(16), ExHiHeader(0x25, true)},
      {"LoROM map 0x30", Lo(0x80000, 0x30), 0x140, 0x800000, lo_banks(16), ExHiHeader(0x35, true)},
      // The partial last bank moves whole; its tail is the zeros appended first.
      {"partial bank", Lo(0x7C400), 0x30, 0x600000, lo_banks(16), ExHiHeader(0x25, true)},
      {"32 Mbit HiROM", Hi(0x400000), 0x40, 0x800000, header_copy, ExHiHeader(0x25, true)},
      {"32 Mbit HiROM", Hi(0x400000), 0x140, 0x800000, mirrors(64), ExHiHeader(0x25, true)},
      {"32 Mbit HiROM", Hi(0x400000), 0x130, 0x600000, mirrors(32), ExHiHeader(0x25, true)},
      {"16 Mbit HiROM", Hi(0x200000), 0x140, 0x800000, mirrors(64), ExHiHeader(0x25, true)},
      {"HiROM map 0x31", Hi(0x100000, 0x31), 0x30, 0x600000, header_copy, ExHiHeader(0x35, true)},
      {"HiROM map at LoROM position", Lo(0x100000, 0x21), 0x30, 0x600000, header_copy,
       ExHiHeader(0x25, true)},
      {"48 Mbit ExHiROM", Hi(0x600000, 0x25), 0x40, 0x800000, {}, ExHiHeader(0x25, false)},
      {"HiROM, stray pair", Hi(0x100000), 0x40, 0x800000, header_copy, ExHiHeader(0x25, true),
       kStrayLoRomPair},
      // Mirrors only land in the new zeros, never on data the source already has.
      {"48 Mbit ExHiROM", Hi(0x600000, 0x25), 0x140, 0x800000, mirrors(32, 32),
       ExHiHeader(0x25, false)},
      {"HiROM ending at 0x408000", Hi(0x408000), 0x140, 0x800000, mirrors(64),
       ExHiHeader(0x25, true)},
      {"HiROM ending at 0x418000", Hi(0x418000), 0x140, 0x800000, mirrors(63, 1),
       ExHiHeader(0x25, false)},
  });
}

TEST(ExLoRomConversion, Layouts) {
  const std::vector<Patch> size13 = {{0x7FD7, 13}, {0x407FD7, 13}};
  const std::vector<Span> bank0 = {{0x400000, 0, 0x8000}};
  const auto copied = [](uint32_t end) { return std::vector<Span>{{0x400000, 0, end}}; };
  const auto moved = [](uint32_t end, uint32_t clear) {
    return std::vector<Span>{{0x400000, 0, end}, {0x8000, kZeros, clear}};
  };
  const RomSpec rom24 = Lo(0x300000);
  CheckLayouts({
      {"24 Mbit", rom24, 0x1040, 0x800000, moved(0x300000, 0x2F8000), size13},
      {"24 Mbit", rom24, 0x2040, 0x800000, bank0, size13},
      {"24 Mbit", rom24, 0x4040, 0x800000, copied(0x300000), size13},
      {"24 Mbit, only bit 15", rom24, 0x8040, 0x800000, bank0, size13},
      {"24 Mbit", rom24, 0x2030, 0x600000, bank0, size13},
      // Copies past the 48 Mbit end lengthen the file.
      {"24 Mbit", rom24, 0x1030, 0x700000, moved(0x300000, 0x2F8000), size13},
      {"28 Mbit", Lo(0x380000), 0x4030, 0x780000, copied(0x380000), size13},
      {"32 Mbit", Lo(0x400000), 0x1040, 0x800000, moved(0x380000, 0x378000), size13},
      {"32 Mbit", Lo(0x400000), 0x1030, 0x780000, moved(0x380000, 0x378000), size13},
      // Above 32 Mbit the bank at 0x400000 is the game's own: only the size byte changes.
      {"40 Mbit", Lo(0x500000), 0x1040, 0x800000, {}, {{0x7FD7, 13}}},
      {"40 Mbit", Lo(0x500000), 0x2040, 0x800000, {}, {{0x7FD7, 13}}},
      {"40 Mbit", Lo(0x500000), 0x4040, 0x800000, {}, {{0x7FD7, 13}}},
      // A partial last bank is copied whole, and variant 1 still clears up to the old end.
      {"partial bank", Lo(0x123456), 0x1040, 0x800000, moved(0x128000, 0x11B456), size13},
      {"partial bank", Lo(0x123456), 0x4030, 0x600000, copied(0x128000), size13},
      {"partial bank", Lo(0x20C000), 0x1030, 0x610000, moved(0x210000, 0x204000), size13},
      {"map 0x30", Lo(0x100000, 0x30), 0x1040, 0x800000, moved(0x100000, 0xF8000), size13},
      {"one bank", Lo(0x8000), 0x1040, 0x800000, bank0, size13},
      {"three banks", Lo(0x18000), 0x1030, 0x600000, moved(0x18000, 0x10000), size13},
      {"header at HiROM position", Hi(0x100000, 0x20), 0x2040, 0x800000, bank0, size13},
  });
}

TEST(SpecialChipExpansion, Layouts) {
  const std::string low("\x00\x01\x02\x03", 4), high("\x80\x81\x82\x83"), fixed("\x04\x05\x06\x07");
  const std::vector<Patch> size13 = {{0x7FD7, 13}};
  const std::vector<Patch> fix = {{0x7FD7, 13}, {0xA60, 4}, {0xA61, 5}, {0xA62, 6}, {0xA63, 7}};
  const auto sa1 = [](uint32_t length, uint8_t map = 0x23, const char* title = "SUPER MARIOWORLD") {
    return Lo(length, map, 0, title);
  };
  std::vector<Layout> cases = {
      {"title fix 00-03", sa1(0x400000), 0x10030, 0x600000, {}, fix, {{0xA60, low}}},
      {"title fix 80-83", sa1(0x400000), 0x10030, 0x600000, {}, fix, {{0xA60, high}}},
      {"already fixed", sa1(0x400000), 0x10030, 0x600000, {}, size13, {{0xA60, fixed}}},
      {"other bytes", sa1(0x400000), 0x10030, 0x600000, {}, size13, {{0xA60, "\x80\x81\x82\x03"}}},
      {"other bytes",
       sa1(0x400000),
       0x10030,
       0x600000,
       {},
       size13,
       {{0xA60, std::string("\x00\x01\x02\x83", 4)}}},
      {"map 0x32", sa1(0x400000, 0x32), 0x10030, 0x600000, {}, size13, {{0xA60, low}}},
      {"map 0x33", sa1(0x400000, 0x33), 0x10040, 0x800000, {}, fix, {{0xA60, high}}},
      {"map 0x22", sa1(0x100000, 0x22), 0x10040, 0x800000, {}, size13},
      {"ends at 0x408000", sa1(0x408000), 0x10030, 0x600000, {}, fix, {{0xA60, low}}},
      {"ends at 0x410000", sa1(0x410000), 0x10030, 0x600000, {}, size13, {{0xA60, low}}},
      {"48 Mbit", sa1(0x600000), 0x10040, 0x800000, {}, size13, {{0xA60, low}}},
      {"title case",
       sa1(0x400000, 0x23, "Super MarioWorld"),
       0x10030,
       0x600000,
       {},
       size13,
       {{0xA60, low}}},
      {"title tail",
       sa1(0x400000, 0x23, "SUPER MARIOWORLD    !"),
       0x10030,
       0x600000,
       {},
       size13,
       {{0xA60, low}}},
      // Header at the HiROM position: size byte there, and no fix even with the title at 0x7FC0.
      {"HiROM position",
       Hi(0x400000, 0x23),
       0x10030,
       0x600000,
       {},
       {{0xFFD7, 13}},
       {{0xA60, low}, {0x7FC0, "SUPER MARIOWORLD     "}}},
  };
  for (uint8_t chipset : {0x13, 0x14, 0x15, 0x1A})
    cases.push_back({"chipset",
                     Lo(0x400000, 0x20, chipset, "SUPER MARIOWORLD"),
                     0x10030,
                     0x600000,
                     {},
                     size13,
                     {{0xA60, low}}});
  CheckLayouts(cases);
}

}  // namespace

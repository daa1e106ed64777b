// -FixChecksum against sums worked out here from the rule as stated, and -Info's facts against
// info.txt. (layout_test checks -Info's verdicts against real expansions.)
#include <sys/stat.h>

#include <fstream>

#include "romspan_runner.h"

namespace {

// The largest power of two once, then the rest, mirrored the same way, repeated to fill it.
Bytes Mirrored(const Bytes& data) {
  size_t part = 1;
  while (part * 2 <= data.size()) part *= 2;
  if (part == data.size()) return data;
  const Bytes rest = Mirrored(Bytes(data.begin() + part, data.end()));
  Bytes whole(data.begin(), data.begin() + part);
  while (whole.size() < 2 * part) whole.insert(whole.end(), rest.begin(), rest.end());
  return whole;
}

// The sum over the ROM data padded with zeros to 8 KiB, mirrored when that is a whole number of
// 32 KiB banks, with the pair of each of `headers` taken as 0xFFFF / 0x0000.
uint16_t StatedChecksum(Bytes data, const std::vector<uint32_t>& headers) {
  for (uint32_t header : headers) std::copy_n("\xFF\xFF\0\0", 4, data.begin() + header + 0x1C);
  data.resize((data.size() + 0x1FFF) / 0x2000 * 0x2000);
  if (data.size() % 0x8000 == 0) data = Mirrored(data);
  uint16_t sum = 0;
  for (uint8_t byte : data) sum = static_cast<uint16_t>(sum + byte);
  return sum;
}

TEST_F(RomspanTest, FixChecksumWritesTheSumOfTheStatedRule) {
  const RomSpec hi = {.header = HeaderAt::kHiRom, .map_mode = 0x21};
  const struct {
    RomSpec rom;
    std::vector<uint32_t> headers;  // ROM offsets of the pairs that take the sum
    uint32_t copy_from = 0;         // the header copied 4 MiB up, title and map mode only
    uint32_t poke_at = 0;           // then these bytes written at this ROM offset
    std::string poke = "";
  } cases[] = {
      {{.data_length = 0x100000, .copier_header = true}, {0x7FC0}},
      {{.data_length = 0x300000}, {0x7FC0}},
      {{.data_length = 0x2FFC00}, {0x7FC0}},  // rounds to 3 MiB
      {{.data_length = 0x123456, .copier_header = true}, {0x7FC0}},
      {{.data_length = 0x400000,
        .copier_header = true,
        .header = HeaderAt::kHiRom,
        .map_mode = 0x21},
       {0xFFC0}},
      {{.data_length = 0x600000, .header = HeaderAt::kHiRom, .map_mode = 0x25},
       {0xFFC0, 0x40FFC0},
       0xFFC0},
      {{.data_length = 0x600000, .header = HeaderAt::kHiRom, .map_mode = 0x25},
       {0xFFC0},
       0xFFC0,
       0x40FFC0,
       "X"},
      {{.data_length = 0x800000, .copier_header = true}, {0x7FC0, 0x407FC0}, 0x7FC0},
      {{.data_length = 0x800000, .header = HeaderAt::kHiRom, .map_mode = 0x31}, {0xFFC0}},
      {{.data_length = 0x100000, .header = HeaderAt::kBoth}, {0x7FC0}},
      {{.data_length = 0x100000},
       {0x7FC0},
       0,
       0x7FDC,
       std::string("\0\0\xFF\xFF", 4)},  // damaged pair
      {{.data_length = 0x100000, .header = HeaderAt::kHiRom, .map_mode = 0x21},
       {0xFFC0},
       0,
       0x7FD5,
       std::string("\0\0\0\0\0\0\0\x34\x12\xCB\xED", 11)},  // a stray pair at 0x7FDC
  };
  for (const auto& c : cases) {
    Bytes file = MakeRomImage(c.rom);
    const uint32_t base = file.size() & 0x200;
    // The copier header is not summed; a data byte changed after the fixture's own sum is.
    std::fill_n(file.begin(), base, 0xAA);
    file[base + 0x12345] ^= 0x5A;
    if (c.copy_from != 0) {
      std::copy_n(file.begin() + base + c.copy_from, 0x16,
                  file.begin() + base + c.copy_from + 0x400000);
      std::copy_n("\x11\x11\x22\x22", 4, file.begin() + base + c.copy_from + 0x40001C);
    }
    std::copy(c.poke.begin(), c.poke.end(), file.begin() + base + c.poke_at);
    const uint16_t sum = StatedChecksum(Bytes(file.begin() + base, file.end()), c.headers);
    Bytes want = file;
    for (uint32_t header : c.headers) {
      const uint8_t pair[] = {uint8_t(~sum), uint8_t(~sum >> 8), uint8_t(sum), uint8_t(sum >> 8)};
      std::copy_n(pair, 4, want.begin() + base + header + 0x1C);
    }
    ASSERT_TRUE(WriteWholeFile(At("rom.smc"), file));
    const std::string path_line = "ROM file: " + Shown("rom.smc");
    EXPECT_EQ(Romspan({"-FixChecksum", "rom.smc"}),
              (Outcome{Lines({path_line, "Done! : Checksum has been fixed."}), 0}));
    EXPECT_TRUE(ReadWholeFile(At("rom.smc")) == want) << c.rom.data_length;
    char computed[64];
    std::snprintf(computed, sizeof computed, "\nComputed checksum: 0x%04X\nChecksum: matches\n",
                  sum);
    EXPECT_NE(Romspan({"-Info", "rom.smc"}).output.find(computed), std::string::npos) << computed;
    EXPECT_EQ(Romspan({"-FixChecksum", "rom.smc"}),
              (Outcome{Lines({path_line, "No Effect! : The checksum already matches."}), 0}));
    EXPECT_TRUE(ReadWholeFile(At("rom.smc")) == want);
  }
}

TEST_F(RomspanTest, FixChecksumRefusals) {
  const std::string canceled = "Checksum Fix Canceled! : Cannot determine ROM memory map type.";
  const std::string missing = "Couldn't open file for writing! : " + Shown("missing.smc");
  ASSERT_TRUE(WriteWholeFile(At("read-only.smc"), MakeRomImage({})));
  ASSERT_EQ(chmod(At("read-only.smc").c_str(), 0444), 0);
  ASSERT_TRUE(WriteWholeFile(At("none.smc"), MakeRomImage({.header = HeaderAt::kNeither})));
  ASSERT_TRUE(WriteWholeFile(At("empty.smc"), {}));
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {"missing.smc", {missing}},
      {"read-only.smc", {kReadOnly}},
      {"none.smc", {canceled, kFailed}},
      {"empty.smc", {canceled, kFailed}}};
  for (auto [file, lines] : cases) {
    const Bytes before = ReadWholeFile(At(file));
    lines.insert(lines.begin(), "ROM file: " + Shown(file));
    lines.push_back(kFailedLine);
    EXPECT_EQ(Romspan({"-FixChecksum", file}), (Outcome{Lines(lines), 1}));
    EXPECT_EQ(ReadWholeFile(At(file)), before);
  }
  EXPECT_EQ(Romspan({"-Info", "missing.smc"}),
            (Outcome{Lines({"ROM file: " + Shown("missing.smc"), missing, kFailedLine}), 1}));
}

// Each image's -Info output, less its first line, under "== NAME" in info.txt.
TEST_F(RomspanTest, InfoStatesTheFacts) {
  Bytes sample =
      MakeRomImage({.copier_header = true, .chipset = 0x02, .title = "SAMPLE\\GAME\x01"});
  std::copy_n("\x03\x01\x33\x01", 4,
              sample.begin() + 0x200 + 0x7FD8);  // SRAM, region, maker, version
  sample[0x200 + 0x4000] ^= 0x01;
  const std::vector<std::pair<std::string, Bytes>> images = {
      {"sample LoROM", sample},
      {"12 Mbit LoROM", MakeRomImage({.data_length = 0x180000})},
      {"odd length", MakeRomImage({.data_length = 0x123456, .map_mode = 0x30})},
      {"FastROM HiROM",
       MakeRomImage({.data_length = 0x100000, .header = HeaderAt::kHiRom, .map_mode = 0x31})},
      {"ExHiROM",
       MakeRomImage({.data_length = 0x600000, .header = HeaderAt::kHiRom, .map_mode = 0x25})},
      {"SA-1", MakeRomImage({.data_length = 0x100000, .map_mode = 0x23, .chipset = 0x35})},
      {"both pairs", MakeRomImage({.data_length = 0x100000, .header = HeaderAt::kBoth})},
      {"neither pair", MakeRomImage({.data_length = 0x100000, .header = HeaderAt::kNeither})},
      {"empty", {}},
  };
  std::string got;
  for (const auto& [name, image] : images) {
    ASSERT_TRUE(WriteWholeFile(At("rom.smc"), image));
    ASSERT_EQ(chmod(At("rom.smc").c_str(), 0444), 0);  // read, never written
    const Outcome info = Romspan({"-Info", "rom.smc"});
    EXPECT_EQ(info.exit_code, 0);
    EXPECT_TRUE(info.output.starts_with("ROM file: " + Shown("rom.smc") + "\n"));
    got += "== " + name + "\n" + info.output.substr(info.output.find('\n') + 1);
    EXPECT_EQ(ReadWholeFile(At("rom.smc")), image);
    fs::remove(At("rom.smc"));
  }
  std::ifstream file(INFO);
  EXPECT_EQ(got,
            std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
}

}  // namespace

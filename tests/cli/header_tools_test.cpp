// -Info and -FixChecksum, run as the real program on synthetic images: the checksum against
// sums written out here from the rule as stated, and -Info's verdicts against real expansions.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "romspan_runner.h"
#include "size_names.h"

namespace {

using namespace romspan_test;

constexpr uint32_t kPair = 0x1C;  // complement, then checksum, from the header's start

// The largest power of two once, then the rest, mirrored the same way, repeated to fill it.
Bytes Mirrored(const Bytes& data) {
  size_t part = 1;
  while (part * 2 <= data.size()) part *= 2;
  if (part == data.size()) return data;
  const Bytes rest = Mirrored(Bytes(data.begin() + static_cast<ptrdiff_t>(part), data.end()));
  Bytes whole(data.begin(), data.begin() + static_cast<ptrdiff_t>(part));
  while (whole.size() < 2 * part) whole.insert(whole.end(), rest.begin(), rest.end());
  return whole;
}

// The sum over the ROM data padded with zeros to 8 KiB, mirrored when that is a whole number of
// 32 KiB banks, with the pair of each of `headers` taken as 0xFFFF / 0x0000.
uint16_t StatedChecksum(Bytes data, const std::vector<uint32_t>& headers) {
  for (uint32_t header : headers) {
    data[header + kPair] = data[header + kPair + 1] = 0xFF;
    data[header + kPair + 2] = data[header + kPair + 3] = 0x00;
  }
  data.resize((data.size() + 0x1FFF) / 0x2000 * 0x2000);
  if (data.size() % 0x8000 == 0) data = Mirrored(data);
  uint16_t sum = 0;
  for (uint8_t byte : data) sum = static_cast<uint16_t>(sum + byte);
  return sum;
}

void Put(Bytes& file, uint32_t at, const std::vector<uint8_t>& bytes) {
  std::copy(bytes.begin(), bytes.end(), file.begin() + at);
}

// The header at ROM offset `header` copied 4 MiB up, title and map mode only, with an invalid
// pair.
void CopyHeaderUp(Bytes& file, uint32_t base, uint32_t header) {
  std::copy_n(file.begin() + base + header, 0x16, file.begin() + base + header + 0x400000);
  Put(file, base + header + 0x400000 + kPair, {0x11, 0x11, 0x22, 0x22});
}

std::string Hex4(uint16_t value) {
  char text[8];
  std::snprintf(text, sizeof(text), "0x%04X", value);
  return text;
}

const std::string kFixed = "Done! : Checksum has been fixed.";
const std::string kMatches = "No Effect! : The checksum already matches.";

TEST_F(RomspanProgramTest, FixChecksumWritesTheSumOfTheStatedRule) {
  using Edit = void (*)(Bytes & file, uint32_t base);
  struct Case {
    const char* name;
    Bytes file;
    std::vector<uint32_t> headers;  // ROM offsets of the pairs that take the sum
    Edit edit = nullptr;
  } cases[] = {
      {"1 MiB", Image(0x100000, HeaderAt::kLoRom, 0x20, true), {0x7FC0}},
      {"3 MiB", Image(0x300000), {0x7FC0}},
      {"4 MiB HiROM", Image(0x400000, HeaderAt::kHiRom, 0x21, true), {0xFFC0}},
      {"6 MiB ExHiROM, header copy",
       Image(0x600000, HeaderAt::kHiRom, 0x25),
       {0xFFC0, 0x40FFC0},
       [](Bytes& file, uint32_t base) { CopyHeaderUp(file, base, 0xFFC0); }},
      {"6 MiB ExHiROM, other title above",
       Image(0x600000, HeaderAt::kHiRom, 0x25),
       {0xFFC0},
       [](Bytes& file, uint32_t base) {
         CopyHeaderUp(file, base, 0xFFC0);
         file[base + 0x40FFC0] ^= 1;
       }},
      {"8 MiB LoROM, header copy",
       Image(0x800000, HeaderAt::kLoRom, 0x20, true),
       {0x7FC0, 0x407FC0},
       [](Bytes& file, uint32_t base) { CopyHeaderUp(file, base, 0x7FC0); }},
      {"8 MiB HiROM", Image(0x800000, HeaderAt::kHiRom, 0x31), {0xFFC0}},
      {"odd, rounds to 3 MiB", Image(0x2FFC00), {0x7FC0}},
      {"odd", Image(0x123456, HeaderAt::kLoRom, 0x20, true), {0x7FC0}},
      {"both pairs valid", Image(0x100000, HeaderAt::kBoth), {0x7FC0}},
      {"damaged pair",
       Image(0x100000),
       {0x7FC0},
       [](Bytes& file, uint32_t base) {
         Put(file, base + 0x7FDC, {0x00, 0x00, 0xFF, 0xFF});
       }},
      {"HiROM, stray pair at 0x7FDC",
       Image(0x100000, HeaderAt::kHiRom, 0x21),
       {0xFFC0},
       [](Bytes& file, uint32_t base) {
         Put(file, base + 0x7FD5, {0x00});
         Put(file, base + 0x7FDC, {0x34, 0x12, 0xCB, 0xED});
       }},
  };
  for (Case& c : cases) {
    const uint32_t base = c.file.size() & 0x200;
    // The copier header is not summed; a data byte changed after the fixture's own sum is.
    std::fill_n(c.file.begin(), base, 0xAA);
    c.file[base + 0x12345] ^= 0x5A;
    if (c.edit != nullptr) c.edit(c.file, base);
    SCOPED_TRACE(c.name);
    const Bytes data(c.file.begin() + base, c.file.end());
    const uint16_t sum = StatedChecksum(data, c.headers);
    Bytes expected = c.file;
    for (uint32_t header : c.headers) {
      Put(expected, base + header + kPair,
          {static_cast<uint8_t>(~sum), static_cast<uint8_t>(~sum >> 8), static_cast<uint8_t>(sum),
           static_cast<uint8_t>(sum >> 8)});
    }
    ASSERT_TRUE(WriteWholeFile(At("rom.smc"), c.file));
    const std::string path_line = "ROM file: " + Shown("rom.smc");
    EXPECT_EQ(Romspan({"-FixChecksum", "rom.smc"}), (Outcome{Lines({path_line, kFixed}), 0}));
    ExpectSameBytes(ReadWholeFile(At("rom.smc")), expected);
    const Outcome info = Romspan({"-Info", "rom.smc"});
    EXPECT_NE(info.output.find("\nComputed checksum: " + Hex4(sum) + "\nChecksum: matches\n"),
              std::string::npos)
        << info.output;
    EXPECT_EQ(Romspan({"-FixChecksum", "rom.smc"}), (Outcome{Lines({path_line, kMatches}), 0}));
    ExpectSameBytes(ReadWholeFile(At("rom.smc")), expected);
  }
}

TEST_F(RomspanProgramTest, FixChecksumRefusals) {
  const std::string kCanceled = "Checksum Fix Canceled! : Cannot determine ROM memory map type.";
  const struct {
    const char* file;
    Bytes image;
    mode_t mode;
    std::vector<std::string> lines;
  } cases[] = {
      {"missing.smc", {}, 0, {"Couldn't open file for writing! : " + Shown("missing.smc")}},
      {"rom.smc", Image(0x80000), 0444, {kReadOnly}},
      {"rom.smc", Image(0x80000, HeaderAt::kNeither), 0644, {kCanceled, kFailed}},
      {"rom.smc", {}, 0644, {kCanceled, kFailed}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines[0]);
    if (c.mode != 0) {
      ASSERT_TRUE(WriteWholeFile(At(c.file), c.image));
      ASSERT_EQ(chmod(At(c.file).c_str(), c.mode), 0);
    }
    std::vector<std::string> lines = {"ROM file: " + Shown(c.file)};
    lines.insert(lines.end(), c.lines.begin(), c.lines.end());
    lines.push_back(kFailedLine);
    EXPECT_EQ(Romspan({"-FixChecksum", c.file}), (Outcome{Lines(lines), 1}));
    if (c.mode != 0) {
      EXPECT_EQ(ReadWholeFile(At(c.file)), c.image);
    }
    fs::remove(At(c.file));
  }
  EXPECT_EQ(
      Romspan({"-Info", "missing.smc"}),
      (Outcome{Lines({"ROM file: " + Shown("missing.smc"),
                      "Couldn't open file for writing! : " + Shown("missing.smc"), kFailedLine}),
               1}));
}

TEST_F(RomspanProgramTest, InfoOnASampleLoRom) {
  Bytes image = MakeRomImage({.data_length = 0x80000,
                              .copier_header = true,
                              .chipset = 0x02,
                              .title = "SAMPLE\\GAME\x01"});
  Put(image, 0x200 + 0x7FD8, {0x03, 0x01, 0x33, 0x01});  // SRAM, region, maker, version
  image[0x200 + 0x4000] ^= 0x01;
  ASSERT_TRUE(WriteWholeFile(At("rom.smc"), image));
  ASSERT_EQ(chmod(At("rom.smc").c_str(), 0444), 0);  // read, never written
  const std::vector<std::string> lines = {
      "ROM file: " + Shown("rom.smc"),
      "File size: 524800 bytes",
      "Copier header: yes",
      "ROM data size: 524288 bytes (4 Mbit)",
      "Header position: 0x7FC0",
      "Valid pair at the other position: no",
      "Title: SAMPLE\\\\GAME\\x01",
      "Map mode: 0x20 (LoROM, SlowROM)",
      "Chipset: 0x02 (ROM, RAM, battery)",
      "ROM size: 0x09 (512 KiB)",
      "SRAM size: 0x03 (8 KiB)",
      "Region: 0x01 (North America)",
      "Version: 0x01 (1.1)",
      "Stored complement: 0x07E9",
      "Stored checksum: 0xF816",
      "Computed checksum: 0xF67F",
      "Checksum: does not match",
      "Target 1: no effect",
  };
  const Outcome info = Romspan({"-Info", "rom.smc"});
  EXPECT_EQ(info.exit_code, 0);
  EXPECT_EQ(info.output.substr(0, Lines(lines).size()), Lines(lines));
  EXPECT_EQ(ReadWholeFile(At("rom.smc")), image);
}

// The Target lines of -Info, each checked against a real -ExpandROM of the same file.
TEST_F(RomspanProgramTest, InfoTargetsAgreeWithExpandRom) {
  const struct {
    const char* name;
    Bytes image;
    std::vector<std::string> facts;  // lines -Info must print among others
  } cases[] = {
      {"LoROM", Image(0x80000), {"Map mode: 0x20 (LoROM, SlowROM)"}},
      {"LoROM 12 Mbit", Image(0x180000), {"ROM data size: 1572864 bytes (12 Mbit)"}},
      {"HiROM",
       Image(0x100000, HeaderAt::kHiRom, 0x31),
       {"Header position: 0xFFC0", "Map mode: 0x31 (HiROM, FastROM)"}},
      {"ExHiROM",
       Image(0x600000, HeaderAt::kHiRom, 0x25),
       {"Map mode: 0x25 (ExHiROM, SlowROM)", "Header copy: none"}},
      {"SA-1",
       MakeRomImage({.data_length = 0x100000, .map_mode = 0x23, .chipset = 0x35}),
       {"Map mode: 0x23 (SA-1, SlowROM)", "Chipset: 0x35 (ROM, SA-1, RAM, battery)"}},
      {"both pairs",
       Image(0x100000, HeaderAt::kBoth),
       {"Header position: 0x7FC0", "Valid pair at the other position: yes"}},
      {"neither pair", Image(0x100000, HeaderAt::kNeither), {"Header position: none"}},
      {"copier header", Image(0x80000, HeaderAt::kLoRom, 0x20, true), {"Copier header: yes"}},
      {"empty", {}, {"File size: 0 bytes", "Header position: none"}},
      {"4 GiB", {}, {"File size: 4294967296 bytes"}},
  };
  std::set<std::string> verdicts;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = At("rom.smc");
    ASSERT_TRUE(WriteWholeFile(path, c.image));
    const bool huge = std::string(c.name) == "4 GiB";
    if (huge && truncate(path.c_str(), off_t{1} << 32) != 0) {
      verdicts.insert("refused (Operation failed.)");  // no sparse files here
      continue;
    }
    const Outcome info = Romspan({"-Info", "rom.smc"});
    EXPECT_EQ(info.exit_code, 0);
    for (const std::string& fact : c.facts)
      EXPECT_NE(info.output.find("\n" + fact + "\n"), std::string::npos) << fact << "\n"
                                                                         << info.output;
    std::istringstream lines(info.output);
    size_t target = 0;
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind("Target ", 0) != 0) continue;
      ASSERT_LT(target, kSizeNameCount);
      const std::string size = kSizeNames[target++].name;
      const std::string prefix = "Target " + size + ": ";
      ASSERT_EQ(line.substr(0, prefix.size()), prefix);
      const std::string verdict = line.substr(prefix.size());
      verdicts.insert(verdict);
      std::vector<std::string> job_lines = {kFailed};
      if (verdict == "expands" || verdict == "no effect") {
        job_lines = {verdict == "expands" ? kDone : kNoEffect};
      } else if (verdict != "refused (Operation failed.)") {
        ASSERT_EQ(verdict.rfind("refused (", 0), 0u) << verdict;
        job_lines.insert(job_lines.begin(),
                         "Expansion Canceled! : " + verdict.substr(9, verdict.size() - 10));
      }
      SCOPED_TRACE(line);
      EXPECT_EQ(Romspan({"-ExpandROM", "rom.smc", size}),
                JobRun(Shown("rom.smc"), size, job_lines,
                       verdict == "expands" || verdict == "no effect" ? 0 : 1));
      if (huge) {
        EXPECT_EQ(fs::file_size(path), uintmax_t{1} << 32);
      } else if (verdict == "expands") {
        ASSERT_TRUE(WriteWholeFile(path, c.image));
      } else {
        EXPECT_EQ(ReadWholeFile(path), c.image);
      }
    }
    EXPECT_EQ(target, kSizeNameCount);
    fs::remove(path);
  }
  // Every outcome a run can have came up.
  for (const char* verdict :
       {"expands", "no effect", "refused (Operation failed.)",
        "refused (Cannot determine ROM memory map type.)",
        "refused (This is not an SA-1 or S-DD1 game!)", "refused (This is not a LoROM game!)",
        "refused (Cannot convert LoROM games > 8 mbits to ExHiROM.)",
        "refused (Cannot convert a non-HiROM or non-LoROM game to ExHiROM.)"})
    EXPECT_EQ(verdicts.count(verdict), 1u) << verdict;
}

}  // namespace

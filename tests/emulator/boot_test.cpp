// Expands the bootable test ROM with the real romspan program and boots the result in Debian's
// bsnes-mercury core through our own libretro front end, and the ExHiROM targets in Mednafen as
// well: the core must build the board the target calls for, the ROM must run its probe to the
// end, and every probed address must read the original bank the target layout puts there, or
// zeros in the new space. Damaged conversions must fail that check.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>

#include "boot_image.h"
#include "run_program.h"

namespace {

namespace fs = std::filesystem;

// bsnes-mercury decodes ExLoROM its own way: $00-$3F:8000 reaches the first 4 MiB LoROM-style,
// $80-$BF:8000 and $40-$7F:0000 (HiROM-style) the area from 4 MiB, and $C0-$FF nothing, the
// opposite of the usual boards; what it reads proves the image, not the usual map. SA-1 is read
// with the power-on bank registers: the first 4 MiB, 1 MiB per bank group.
enum Board { kLoRom, kHiRom, kExHiRom, kSa1, kCoreExLoRom, kUnknown };
const char* const kBoardNames[] = {"LoROM", "HiROM",   "ExHiROM",
                                   "SA-1",  "ExLoROM", "an unknown board"};

// The ROM offset a board's decoding gives bank:address, before the image's length counts.
std::optional<uint32_t> Decode(Board board, uint32_t bank, uint32_t address) {
  const bool upper = address >= 0x8000;
  const uint32_t low15 = address & 0x7FFF;
  switch (board) {
    case kLoRom:
      if (upper) return (bank & 0x7F) << 15 | low15;
      break;
    case kHiRom:
      if (upper || (bank & 0x40)) return (bank & 0x3F) << 16 | address;
      break;
    case kExHiRom:  // A23 inverted: $80-$FF reach the first 4 MiB, $00-$7D the rest
      if (upper || (bank & 0x40))
        return (bank & 0x80 ? 0 : 0x400000) | (bank & 0x3F) << 16 | address;
      break;
    case kSa1:
      if (bank >= 0xC0) return (bank - 0xC0) << 16 | address;
      if (upper && !(bank & 0x40))
        return ((bank >> 5 & 1) | (bank >> 6 & 2)) << 20 | (bank & 0x1F) << 15 | low15;
      break;
    case kCoreExLoRom:
      if (!(bank & 0x40) && upper) return bank << 15 | low15;  // $80-$BF thus from 4 MiB
      if ((bank & 0x40) && bank < 0x80) return bank << 16 | address;
      break;
    case kUnknown:
      break;
  }
  return std::nullopt;
}

// The targets, told apart by their names alone.
struct Target {
  std::string name;
  char route;  // plain, ExHiROM, ExLoROM, special chip: 'p', 'h', 'l', 'c'
  uint32_t megabits;
  int variant;  // the last digit of the ExHiROM and ExLoROM names
};

std::vector<Target> Targets() {
  std::vector<Target> targets;
  std::istringstream names(
      "1 2 4 8 12 16 20 24 28 32 1MB 1.5MB 2MB 2.5MB 3MB 3.5MB 4MB 48_EXHIROM 48_EXHIROM_3 "
      "64_EXHIROM "
      "64_EXHIROM_3 48_EXLOROM_1 48_EXLOROM_2 48_EXLOROM_3 64_EXLOROM_1 64_EXLOROM_2 64_EXLOROM_3 "
      "48_EXPCHIP "
      "64_EXPCHIP");
  for (std::string name; names >> name;) {
    const char route = name.ends_with("CHIP")            ? 'c'
                       : name.find("HIROM") != name.npos ? 'h'
                       : name.find("LOROM") != name.npos ? 'l'
                                                         : 'p';
    const uint32_t megabits =
        name.ends_with("MB") ? uint32_t(std::stod(name) * 8) : uint32_t(std::stoul(name));
    targets.push_back(
        {name, route, megabits,
         name.back() >= '1' && name.back() <= '3' && route != 'p' ? name.back() - '0' : 0});
  }
  return targets;
}

struct Source {
  const char* name;
  BootImageOptions options;
};
const Source kSources[] = {
    {"LoRom4", {BootMap::kLoRom, 0x80000, false, 0x00}},
    {"LoRom4Copier", {BootMap::kLoRom, 0x80000, true, 0x00}},
    {"LoRom8", {BootMap::kLoRom, 0x100000, false, 0x00}},
    {"HiRom8Copier", {BootMap::kHiRom, 0x100000, true, 0x00}},
    {"HiRom32", {BootMap::kHiRom, 0x400000, false, 0x00}},
    {"Sa1Chip34", {BootMap::kSa1, 0x100000, false, 0x34}},
    {"Sa1Chip35Copier", {BootMap::kSa1, 0x100000, true, 0x35}},
};

Board ExpectedBoard(const BootImageOptions& source, const Target& target) {
  if (target.route == 'h') return kExHiRom;
  if (target.route == 'l') return kCoreExLoRom;
  return source.map == BootMap::kHiRom ? kHiRom : source.map == BootMap::kSa1 ? kSa1 : kLoRom;
}

// For every 32 KiB bank of the expanded image, the original bank it holds, or -1 for zeros.
std::vector<int> ExpectedBanks(const BootImageOptions& source, const Target& target) {
  const int old_banks = int(source.data_length / kBootBank), new_banks = int(target.megabits * 4);
  std::vector<int> banks(std::max(old_banks, new_banks), -1);
  for (int bank = 0; bank < old_banks; ++bank) banks[bank] = bank;
  if (new_banks <= old_banks) return banks;
  constexpr int kHighHeaderBank = 129;  // 0x408000: the upper half of the first block above 4 MiB
  if (target.route == 'h' && source.map == BootMap::kLoRom) {
    // Bank k becomes the upper half of block 64 + k; bank 0 also the header bank; the rest zeros.
    std::fill(banks.begin(), banks.end(), -1);
    banks[1] = 0;
    for (int bank = 0; bank < old_banks; ++bank) banks[kHighHeaderBank + 2 * bank] = bank;
  } else if (target.route == 'h') {
    // _3: the upper half of every block of the first 4 MiB repeats in the block 4 MiB above it.
    for (int block = 0; target.variant == 3 && block < (new_banks - 128) / 2; ++block)
      banks[kHighHeaderBank + 2 * block] = banks[2 * block + 1];
    banks[kHighHeaderBank] = 1;  // the header bank, where an ExHiROM board boots from
  } else if (target.route == 'l') {
    // Bank 0 repeats at 4 MiB; _1 and _3 also copy banks below 28 Mbit there, _1 then clears them.
    banks[128] = 0;
    for (int bank = 1; bank < std::min(old_banks, 112) && target.variant != 2; ++bank) {
      banks[128 + bank] = bank;
      if (target.variant == 1) banks[bank] = -1;
    }
  }
  return banks;
}

struct Boot {
  std::string log;
  Board board = kUnknown;
  bool logs_board = true;  // Mednafen does not say which board it built
  Bytes wram = {};
};

// The core logs the board it built as BML; its ROM mapping lines tell the boards apart.
Board BoardFromCoreLog(const std::string& log) {
  std::istringstream lines(log);
  std::string maps;
  for (std::string line; std::getline(lines, line);) {
    if (!line.starts_with("core:")) continue;
    const std::string text = line.substr(std::min(line.size(), line.find_first_not_of(' ', 5)));
    if (text == "sa1") return kSa1;
    if (text.starts_with("map id=rom address=")) maps += text.substr(19) + ";";
  }
  const std::pair<Board, const char*> known[] = {
      {kLoRom, "00-7f,80-ff:8000-ffff mask=0x8000;"},
      {kHiRom, "00-3f,80-bf:8000-ffff;40-7f,c0-ff:0000-ffff;"},
      {kCoreExLoRom, "00-3f,80-bf:8000-ffff mask=0x8000;40-7f:0000-ffff;"},
      {kExHiRom,
       "00-3f:8000-ffff base=0x400000;40-7f:0000-ffff base=0x400000;80-bf:8000-ffff mask=0xc00000;"
       "c0-ff:0000-ffff mask=0xc00000;"}};
  for (const auto& [board, rom_maps] : known)
    if (maps == rom_maps) return board;
  return kUnknown;
}

// The probe leaves the words it read at $7E:2000, four per bank ($bb:0000, 7FF0, 8000, FFF0), and
// writes "DONE", 00 08 at $7E:2FF0 last. Addresses that reach no ROM on the board are not
// judged; past its end a ROM of a power-of-two size repeats.
std::vector<std::string> Problems(const Boot& boot, Board board, const std::vector<int>& banks) {
  std::vector<std::string> problems;
  if (boot.logs_board && boot.board != board)
    problems.push_back(std::string("the core built ") + kBoardNames[boot.board] + ", not " +
                       kBoardNames[board]);
  if (boot.wram.size() < 0x3000 ||
      std::string(boot.wram.begin() + 0x2FF0, boot.wram.begin() + 0x2FF6) !=
          std::string("DONE\0\x08", 6))
    return {"the test ROM did not reach its marker"};
  const uint32_t length = uint32_t(banks.size()) * kBootBank;
  unsigned judged = 0;
  for (uint32_t bank = 0; bank < 0x100; ++bank) {
    for (uint32_t slot = 0; slot < 4; ++slot) {
      constexpr uint32_t kOffsets[] = {0x0000, 0x7FF0, 0x8000, 0xFFF0};
      const uint32_t address = kOffsets[slot];
      std::optional<uint32_t> offset =
          bank == 0x7E || bank == 0x7F ? std::nullopt : Decode(board, bank, address);
      if (offset && *offset >= length)
        offset = (length & (length - 1)) == 0 ? std::optional(*offset % length) : std::nullopt;
      if (!offset) continue;
      ++judged;
      const int origin = banks[*offset / kBootBank];
      const uint16_t want = origin < 0                 ? 0
                            : *offset % kBootBank == 0 ? StartSignature(origin)
                                                       : EndSignature(origin);
      const uint32_t at = 0x2000 + (bank * 4 + slot) * 2;
      const uint16_t read = uint16_t(boot.wram[at] | boot.wram[at + 1] << 8);
      char text[80];
      std::snprintf(text, sizeof text, "$%02X:%04X read 0x%04X, expected 0x%04X", bank, address,
                    read, want);
      if (read != want) problems.push_back(text);
    }
  }
  if (judged < 128) problems.push_back("only " + std::to_string(judged) + " addresses reach ROM");
  return problems;
}

class Emulator : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "romspan-emulator-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // The source image expanded by romspan to `size` (and its checksum fixed when asked), or "".
  std::string Expand(const BootImageOptions& options, const std::string& size,
                     bool fix_checksum = false) {
    const std::string image = dir_ + "/rom.sfc";
    if (!WriteWholeFile(image, MakeBootImage(ReadWholeFile(BOOT_CODE_BANK), options))) return "";
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"-ExpandROM", image, size}, {"-FixChecksum", image}}) {
      if (arguments[0] == "-FixChecksum" && !fix_checksum) break;
      Launch launch = {.command = {ROMSPAN_PROGRAM}};
      launch.command.insert(launch.command.end(), arguments.begin(), arguments.end());
      const Outcome run = RunProgram(launch);
      if (run.exit_code != 0) ADD_FAILURE() << "romspan failed:\n" << run.output;
      if (run.exit_code != 0) return "";
    }
    return image;
  }
  Boot BootInCore(const std::string& image) {
    const Outcome run =
        RunProgram({.command = {SNES_RUN, SNES_CORE, image, "4", dir_ + "/wram.bin"}});
    return {run.output, BoardFromCoreLog(run.output), true,
            run.exit_code == 0 ? ReadWholeFile(dir_ + "/wram.bin") : Bytes()};
  }
  // Mednafen's snes module, headless: it logs no board and has no frame limit, so it is told to
  // quit once its video is up, saves its state on the way out, and the work RAM is found in that
  // state by the test ROM's marker.
  Boot BootInMednafen(const std::string& image) {
    const Outcome run = RunProgram(
        {.command = {MEDNAFEN, "-force_module", "snes", "-sound", "0", "-nothrottle", "1",
                     "-autosave", "1", "-video.driver", "softfb", image},
         .environment = {"HOME=" + dir_, "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"},
         .quit_when = [](const std::string& out) {
           return out.find("Destination Rectangle") != out.npos;
         }});
    Boot boot = {run.output, kUnknown, false};
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir_ + "/.mednafen/mcs", error)) {
      const std::string state =
          RunProgram({.command = {"/bin/gzip", "-dc", entry.path().string()}}).output;
      const size_t marker = state.find(std::string("DONE\0\x08", 6));
      if (marker != state.npos && marker >= 0x2FF0)
        boot.wram.assign(state.begin() + (marker - 0x2FF0),
                         state.begin() + std::min(state.size(), marker - 0x2FF0 + 0x20000));
    }
    return boot;
  }
  std::string dir_;
};

std::string Report(const std::vector<std::string>& problems, const Boot& boot) {
  std::string text;
  for (size_t i = 0; i < problems.size() && i < 12; ++i) text += problems[i] + "\n";
  return text + (problems.size() > 12 ? "...\n" : "") + "front end log:\n" + boot.log;
}

struct Case {
  Source source;
  Target target;
  bool fix_checksum = false;  // -FixChecksum runs after the expansion
};
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.source.name << " to " << c.target.name;
}

// Each source with each size it grows to; the names in megabytes only once, as they name the
// same targets. Under the sanitizers a few sizes per source: every boot runs the same code.
std::vector<Case> Cases(bool fix_checksum, char only_route = 0) {
  std::vector<Case> cases;
  for (const Source& source : kSources) {
    for (const Target& target : Targets()) {
      const BootMap map = source.options.map;
      const bool converts = target.route == 'p' ||
                            (target.route == 'l' && map == BootMap::kLoRom) ||
                            (target.route == 'c' && map == BootMap::kSa1) ||
                            (target.route == 'h' &&
                             (map == BootMap::kHiRom || source.options.data_length <= 0x100000) &&
                             map != BootMap::kSa1);
      const bool wanted = ROMSPAN_FEWER_BOOTS
                              ? std::string(" 32 48_EXHIROM 64_EXHIROM_3 64_EXLOROM_1 48_EXPCHIP ")
                                        .find(" " + target.name + " ") != std::string::npos
                              : !target.name.ends_with("MB") || &source == &kSources[0];
      if (converts && wanted && target.megabits * 0x20000 > source.options.data_length &&
          (!only_route || target.route == only_route))
        cases.push_back({source, target, fix_checksum});
    }
  }
  return cases;
}
std::string CaseName(const testing::TestParamInfo<Case>& info) {
  std::string name = std::string(info.param.source.name) + "_" + info.param.target.name;
  std::replace(name.begin(), name.end(), '.', '_');
  return name;
}

class ExpandedRom : public Emulator, public testing::WithParamInterface<Case> {};

TEST_P(ExpandedRom, Boots) {
  const Case& c = GetParam();
  const std::string image = Expand(c.source.options, c.target.name, c.fix_checksum);
  ASSERT_FALSE(image.empty());
  const Boot boot = BootInCore(image);
  const auto problems = Problems(boot, ExpectedBoard(c.source.options, c.target),
                                 ExpectedBanks(c.source.options, c.target));
  EXPECT_TRUE(problems.empty()) << Report(problems, boot);
}
INSTANTIATE_TEST_SUITE_P(Sizes, ExpandedRom, testing::ValuesIn(Cases(false)), CaseName);
// With a matching checksum the core may judge the header differently; the banks must not move.
INSTANTIATE_TEST_SUITE_P(FixedSizes, ExpandedRom, testing::ValuesIn(Cases(true)), CaseName);

// A second, independent opinion on ExHiROM, whose decoding Mednafen models as well.
class ExpandedRomInMednafen : public ExpandedRom {};

TEST_P(ExpandedRomInMednafen, Boots) {
  if (std::string(MEDNAFEN).empty()) GTEST_SKIP() << "Mednafen is not installed";
  const Case& c = GetParam();
  const std::string image = Expand(c.source.options, c.target.name);
  ASSERT_FALSE(image.empty());
  const Boot boot = BootInMednafen(image);
  const auto problems = Problems(boot, kExHiRom, ExpectedBanks(c.source.options, c.target));
  EXPECT_TRUE(problems.empty()) << Report(problems, boot);
}
INSTANTIATE_TEST_SUITE_P(Sizes, ExpandedRomInMednafen, testing::ValuesIn(Cases(false, 'h')),
                         CaseName);

// The check itself: conversions damaged after a correct one must not pass it.
struct Fault {
  const char* name;
  Source source;
  const char* size;
  void (*damage)(Bytes& rom, const Bytes& original);  // offsets without the copier header
};
void PrintTo(const Fault& fault, std::ostream* os) {
  *os << fault.name;
}
void MoveBank(Bytes& rom, uint32_t from, uint32_t to) {
  std::copy_n(rom.begin() + from, kBootBank, rom.begin() + to);
  std::fill_n(rom.begin() + from, kBootBank, 0);
}
const Fault kFaults[] = {
    {"LoRomBankInLowerHalf", kSources[0], "48_EXHIROM",
     [](Bytes& rom, const Bytes&) { MoveBank(rom, 0x438000, 0x430000); }},
    {"LoRomOldAreaNotCleared", kSources[0], "48_EXHIROM",
     [](Bytes& rom, const Bytes& original) {
       std::copy_n(original.begin(), kBootBank, rom.begin());
       std::copy(original.begin() + 0x10000, original.end(), rom.begin() + 0x10000);
     }},
    {"HiRomHeaderBankCopyMissing", kSources[4], "64_EXHIROM",
     [](Bytes& rom, const Bytes&) { std::fill_n(rom.begin() + 0x408000, kBootBank, 0); }},
    {"HiRomMirroredLowerHalves", kSources[4], "64_EXHIROM_3",
     [](Bytes& rom, const Bytes& original) {
       for (uint32_t block = 1; block < 64; ++block)
         std::copy_n(original.begin() + block * 0x10000, kBootBank,
                     rom.begin() + 0x408000 + block * 0x10000);
     }},
    {"ExLoRomBanksNotCopied", kSources[2], "64_EXLOROM_1",
     [](Bytes& rom, const Bytes&) { std::fill_n(rom.begin() + 0x408000, 0x78000, 0); }},
};

class BrokenConversion : public Emulator, public testing::WithParamInterface<Fault> {};

TEST_P(BrokenConversion, FailsTheCheck) {
  const Fault& fault = GetParam();
  const BootImageOptions& options = fault.source.options;
  const Target target = *std::find_if(Targets().begin(), Targets().end(),
                                      [&](const Target& t) { return t.name == fault.size; });
  const std::string image = Expand(options, fault.size);
  ASSERT_FALSE(image.empty());
  Bytes file = ReadWholeFile(image);
  Bytes rom(file.begin() + (options.copier_header ? kFixtureCopierHeader : 0), file.end());
  BootImageOptions bare = options;
  bare.copier_header = false;
  fault.damage(rom, MakeBootImage(ReadWholeFile(BOOT_CODE_BANK), bare));
  std::copy(rom.begin(), rom.end(), file.end() - rom.size());
  ASSERT_TRUE(WriteWholeFile(image, file));
  std::vector<Boot> boots = {BootInCore(image)};
  if (target.route == 'h' && !std::string(MEDNAFEN).empty()) boots.push_back(BootInMednafen(image));
  for (const Boot& boot : boots) {
    const auto problems =
        Problems(boot, ExpectedBoard(options, target), ExpectedBanks(options, target));
    EXPECT_FALSE(problems.empty()) << "the damaged image passed:\n" << boot.log;
    if (!problems.empty())
      std::printf("caught (%zu problems): %s\n", problems.size(), problems.front().c_str());
  }
}
INSTANTIATE_TEST_SUITE_P(Harness, BrokenConversion, testing::ValuesIn(kFaults),
                         [](const auto& info) { return info.param.name; });

}  // namespace

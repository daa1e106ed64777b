// Expands the bootable test ROM with the real romspan program and boots the result in Debian's
// bsnes-mercury core through our own libretro front end: the core must build the board the target
// calls for, the ROM must run its probe to the end, and every probed address must read the
// original bank the target layout puts there, or zeros where the new space is.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "expected_reads.h"

namespace {

namespace fs = std::filesystem;

constexpr unsigned kFrames = 4;  // the probe needs well under one; the core wants a few

struct Program {
  std::string output;
  int exit_code = -1;
};

// Runs a program and collects its output. `environment` adds NAME=VALUE settings; `quit_when`, if
// given, sees the output as it grows, and once it holds the program gets half a second more and
// then SIGTERM, for programs that only stop when told to.
Program Run(std::vector<std::string> arguments, std::vector<std::string> environment = {},
            const std::function<bool(const std::string&)>& quit_when = nullptr) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  int fds[2];
  if (pipe(fds) != 0) return {"pipe failed", -1};
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    dup2(fds[1], STDERR_FILENO);
    close(fds[0]);
    close(fds[1]);
    for (std::string& setting : environment) putenv(setting.data());
    alarm(60);  // a program that hangs fails its test instead of stalling the run
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(fds[1]);
  Program run;
  char chunk[4096];
  bool told_to_quit = false;
  for (ssize_t got; (got = read(fds[0], chunk, sizeof(chunk))) != 0;) {
    if (got > 0) run.output.append(chunk, static_cast<size_t>(got));
    if (got < 0 && errno != EINTR) break;
    if (quit_when && !told_to_quit && pid > 0 && quit_when(run.output)) {
      usleep(500000);
      told_to_quit = kill(pid, SIGTERM) == 0;
    }
  }
  close(fds[0]);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return {"could not run " + arguments[0], -1};
  if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.output += "<killed by signal " + std::to_string(WTERMSIG(status));
  return run;
}

struct Boot {
  std::string log;
  bool logs_board = true;  // Mednafen does not say which board it built
  std::optional<Board> board;
  Bytes wram;
};

class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "romspan-emulator-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    if (!folder_.empty()) fs::remove_all(folder_, ignored);
  }
  std::string Path(const std::string& name) const { return (fs::path(folder_) / name).string(); }

 private:
  std::string folder_;
};

Boot BootInCore(const Scratch& scratch, const std::string& image) {
  const std::string wram_file = scratch.Path("wram.bin");
  const Program run = Run({SNES_RUN, SNES_CORE, image, std::to_string(kFrames), wram_file});
  Boot boot{run.output, true, BoardFromCoreLog(run.output), {}};
  if (run.exit_code == 0) boot.wram = ReadWholeFile(wram_file);
  return boot;
}

// Mednafen's snes module, headless: it has no frame limit and logs no board, so it is told to quit
// once its video is up, saves its state on the way out, and the work RAM is found in that state by
// the test ROM's marker.
Boot BootInMednafen(const Scratch& scratch, const std::string& image) {
  const Program run =
      Run({MEDNAFEN, "-force_module", "snes", "-sound", "0", "-nothrottle", "1", "-autosave", "1",
           "-video.driver", "softfb", image},
          {"HOME=" + scratch.Path(""), "SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"},
          [](const std::string& output) {
            return output.find("Destination Rectangle") != output.npos;
          });
  Boot boot{run.output, false, std::nullopt, {}};
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(scratch.Path(".mednafen/mcs"), error)) {
    const std::string state = Run({"/bin/gzip", "-dc", entry.path().string()}).output;
    const size_t marker = state.find(std::string("DONE\0\x08", 6));
    if (marker == state.npos || marker < kMarkerInWram) continue;
    const auto wram = state.begin() + static_cast<std::ptrdiff_t>(marker - kMarkerInWram);
    boot.wram.assign(wram, wram + std::min<std::ptrdiff_t>(0x20000, state.end() - wram));
  }
  return boot;
}

// Everything that is wrong with how `image` boots, given what it should hold; empty when nothing.
std::vector<std::string> Problems(const Boot& boot, Board board, const std::vector<int>& banks) {
  std::vector<std::string> problems;
  if (boot.logs_board && boot.board != board)
    problems.push_back(std::string("the core built ") +
                       (boot.board ? BoardName(*boot.board) : "an unknown board") + ", not " +
                       BoardName(board));
  if (!ProbeFinished(boot.wram)) problems.push_back("the test ROM did not reach its marker");
  for (const std::string& mismatch : ProbeMismatches(boot.wram, board, banks))
    problems.push_back(mismatch);
  return problems;
}

std::string Report(const std::vector<std::string>& problems, const Boot& boot) {
  std::string text;
  for (size_t i = 0; i < problems.size() && i < 12; ++i) text += problems[i] + "\n";
  if (problems.size() > 12) text += "... " + std::to_string(problems.size() - 12) + " more\n";
  return text + "front end log:\n" + boot.log;
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

struct Case {
  Source source;
  Target target;
  bool fix_checksum = false;  // -FixChecksum runs after the expansion
};

void PrintTo(const Case& c, std::ostream* os) {
  *os << c.source.name << " to " << c.target.size_name << (c.fix_checksum ? ", fixed" : "");
}

#ifdef ROMSPAN_FEWER_BOOTS
constexpr bool kFewerBoots = true;
#else
constexpr bool kFewerBoots = false;
#endif

bool Wanted(const Source& source, const Target& target) {
  const std::string_view name = target.size_name;
  if (kFewerBoots) {
    // Every boot runs the same front end and harness code, which is what the sanitizers look at.
    for (std::string_view kept : {"32", "48_EXHIROM", "64_EXHIROM_3", "64_EXLOROM_1", "48_EXPCHIP"})
      if (name == kept) return true;
    return false;
  }
  // The names in megabytes give the same targets as those in megabits: one source takes them.
  return !name.ends_with("MB") || &source == &kSources[0];
}

std::vector<Case> AllCases(bool fix_checksum = false) {
  std::vector<Case> cases;
  for (const Source& source : kSources)
    for (const Target& target : AllTargets())
      if (Converts(source.options, target) &&
          target.megabits * 0x20000 > source.options.data_length && Wanted(source, target))
        cases.push_back({source, target, fix_checksum});
  return cases;
}

std::string CaseName(const testing::TestParamInfo<Case>& info) {
  std::string name = std::string(info.param.source.name) + "_" + info.param.target.size_name;
  for (char& c : name)
    if (c == '.') c = '_';
  return name;
}

// The checksum fix may change only the pairs of the header the board reads and of its copy
// 4 MiB above.
void ExpectOnlyPairsChanged(const Bytes& before, const Bytes& after, uint32_t base, Board board) {
  ASSERT_EQ(before.size(), after.size());
  const uint32_t header = board == Board::kHiRom || board == Board::kExHiRom ? 0xFFC0 : 0x7FC0;
  for (uint32_t at = 0; at < after.size(); ++at) {
    const uint32_t in_block = (at - base) % 0x400000;
    const bool in_pair = at >= base && in_block >= header + 0x1C && in_block < header + 0x20;
    if (before[at] != after[at] && !in_pair)
      ADD_FAILURE() << "the checksum fix changed the byte at 0x" << std::hex << at;
  }
}

// Makes the source image in `scratch` and expands it with romspan, then fixes its checksum when
// asked; empty on failure.
std::string Expand(const Scratch& scratch, const BootImageOptions& options, const char* size_name,
                   bool fix_checksum = false, Board board = Board::kLoRom) {
  const std::string image = scratch.Path("rom.sfc");
  if (!WriteWholeFile(image, MakeBootImage(ReadWholeFile(BOOT_CODE_BANK), options))) return {};
  const Program romspan = Run({ROMSPAN_PROGRAM, "-ExpandROM", image, size_name});
  if (romspan.exit_code != 0) {
    ADD_FAILURE() << "romspan failed:\n" << romspan.output;
    return {};
  }
  if (fix_checksum) {
    const Bytes expanded = ReadWholeFile(image);
    const Program fix = Run({ROMSPAN_PROGRAM, "-FixChecksum", image});
    EXPECT_EQ(fix.output, "ROM file: " + image + "\nDone! : Checksum has been fixed.\n");
    ExpectOnlyPairsChanged(expanded, ReadWholeFile(image), options.copier_header ? 0x200 : 0,
                           board);
  }
  return image;
}

class ExpandedRom : public testing::TestWithParam<Case> {};

TEST_P(ExpandedRom, Boots) {
  const Case& c = GetParam();
  Scratch scratch;
  const Board board = ExpectedBoard(c.source.options, c.target);
  const std::string image =
      Expand(scratch, c.source.options, c.target.size_name, c.fix_checksum, board);
  ASSERT_FALSE(image.empty());
  const std::vector<int> banks = ExpectedBanks(c.source.options, c.target);
  ASSERT_GT(JudgedProbes(board, banks), 128u);  // the check reaches a good part of the map
  const Boot boot = BootInCore(scratch, image);
  const std::vector<std::string> problems = Problems(boot, board, banks);
  EXPECT_TRUE(problems.empty()) << Report(problems, boot);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ExpandedRom, testing::ValuesIn(AllCases()), CaseName);
// With a matching checksum the core may judge the header differently; the banks must not move.
INSTANTIATE_TEST_SUITE_P(FixedSizes, ExpandedRom, testing::ValuesIn(AllCases(true)), CaseName);

// A second, independent opinion on ExHiROM, whose decoding Mednafen models as well.
std::vector<Case> ExHiRomCases() {
  std::vector<Case> cases;
  for (const Case& c : AllCases())
    if (c.target.route == Route::kExHiRom &&
        (std::string_view(c.source.name) == "LoRom8" || c.source.options.map == BootMap::kHiRom))
      cases.push_back(c);
  return cases;
}

class ExpandedRomInMednafen : public testing::TestWithParam<Case> {};

TEST_P(ExpandedRomInMednafen, Boots) {
  if (std::string_view(MEDNAFEN).empty()) GTEST_SKIP() << "Mednafen is not installed";
  const Case& c = GetParam();
  Scratch scratch;
  const std::string image = Expand(scratch, c.source.options, c.target.size_name);
  ASSERT_FALSE(image.empty());
  const Boot boot = BootInMednafen(scratch, image);
  const std::vector<std::string> problems =
      Problems(boot, Board::kExHiRom, ExpectedBanks(c.source.options, c.target));
  EXPECT_TRUE(problems.empty()) << Report(problems, boot);
}

INSTANTIATE_TEST_SUITE_P(Sizes, ExpandedRomInMednafen, testing::ValuesIn(ExHiRomCases()), CaseName);

// The harness itself: faulty conversions, made by damaging a correct one, must not pass.
struct Fault {
  const char* name;
  Source source;
  const char* size_name;
  void (*damage)(Bytes& rom, const Bytes& original);  // offsets without the copier header
};

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

void PrintTo(const Fault& fault, std::ostream* os) {
  *os << fault.name;
}

class BrokenConversion : public testing::TestWithParam<Fault> {};

TEST_P(BrokenConversion, FailsTheCheck) {
  const Fault& fault = GetParam();
  const BootImageOptions& options = fault.source.options;
  const Target& target = *std::find_if(AllTargets().begin(), AllTargets().end(), [&](auto& t) {
    return std::string(t.size_name) == fault.size_name;
  });
  Scratch scratch;
  const std::string image = Expand(scratch, options, fault.size_name);
  ASSERT_FALSE(image.empty());
  Bytes file = ReadWholeFile(image);
  Bytes rom(file.begin() + (options.copier_header ? kFixtureCopierHeader : 0), file.end());
  BootImageOptions bare = options;
  bare.copier_header = false;
  const Bytes original = MakeBootImage(ReadWholeFile(BOOT_CODE_BANK), bare);
  fault.damage(rom, original);
  std::copy(rom.begin(), rom.end(), file.end() - static_cast<std::ptrdiff_t>(rom.size()));
  ASSERT_TRUE(WriteWholeFile(image, file));

  std::vector<Boot> boots = {BootInCore(scratch, image)};
  if (target.route == Route::kExHiRom && !std::string_view(MEDNAFEN).empty())
    boots.push_back(BootInMednafen(scratch, image));
  for (const Boot& boot : boots) {
    const std::vector<std::string> problems =
        Problems(boot, ExpectedBoard(options, target), ExpectedBanks(options, target));
    EXPECT_FALSE(problems.empty()) << "the damaged image passed:\n" << boot.log;
    if (!problems.empty())
      std::printf("caught (%zu problems): %s\n", problems.size(), problems.front().c_str());
  }
}

INSTANTIATE_TEST_SUITE_P(Harness, BrokenConversion, testing::ValuesIn(kFaults),
                         [](const testing::TestParamInfo<Fault>& info) { return info.param.name; });

}  // namespace

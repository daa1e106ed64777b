// Runs the built romspan program on synthetic ROM images in a scratch folder and checks its whole
// output, its exit code and the file it leaves behind. Built twice: for the Linux program, and
// with ROMSPAN_UNDER_WINE for the Windows program, which must behave the same.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "romspan_runner.h"

namespace {

using namespace romspan_test;

// The size names in the order the usage text lists them.
constexpr char kSizeNameList[] =
    "1 2 4 8 12 16 20 24 28 32 48_EXHIROM 48_EXHIROM_3 64_EXHIROM 64_EXHIROM_3 48_EXLOROM_1 "
    "48_EXLOROM_2 48_EXLOROM_3 64_EXLOROM_1 64_EXLOROM_2 64_EXLOROM_3 48_EXPCHIP 64_EXPCHIP 1MB "
    "1.5MB 2MB 2.5MB 3MB 3.5MB 4MB";

TEST_F(RomspanProgramTest, UsageNamesTheCommandAndEverySize) {
  const Outcome usage = Romspan({"--help"});
  EXPECT_EQ(usage.exit_code, 0);
  EXPECT_EQ(usage.output.rfind("Usage: romspan -ExpandROM FILE SIZE\n"
                               "       romspan -Info FILE\n"
                               "       romspan -FixChecksum FILE\n",
                               0),
            0u)
      << usage.output;
  // The last 29 lines each start with one size name.
  std::string names;
  std::istringstream lines(usage.output);
  for (std::string line, word; std::getline(lines, line); names += word + " ") {
    word.clear();
    std::istringstream(line) >> word;
  }
  ASSERT_GE(names.size(), sizeof(kSizeNameList));
  EXPECT_EQ(names.substr(names.size() - sizeof(kSizeNameList)), kSizeNameList + std::string(" "));
  for (const std::vector<std::string>& help :
       {std::vector<std::string>{"-h"}, {"-h", "rom.smc", "8"}, {"--help", "x"}}) {
    EXPECT_EQ(Romspan(help), usage) << help[0];
  }
  // Without arguments the Windows program is for the dialog, which shows nothing on a console.
  EXPECT_EQ(Romspan({}), (Outcome{kUnderWine ? "" : usage.output, 1}));
  for (const char* version : {"--version", "-V"}) {
    EXPECT_EQ(Romspan({version, "rom.smc"}), (Outcome{"romspan " ROMSPAN_VERSION "\n", 0}));
  }
}

TEST_F(RomspanProgramTest, ArgumentErrorsLeaveTheRomAlone) {
  const Bytes rom = Image(0x80000);
  ASSERT_TRUE(WriteWholeFile(At("rom.smc"), rom));
  const std::string long_path = "x/" + std::string(8190, 'p');  // 8192 bytes
  const std::string long_name(8191, 'n');
  const struct {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"-ExpandROM"}, "Too few arguments."},
      {{"rom.smc"}, "Too few arguments."},
      {{"-H"}, "Too few arguments."},
      {{""}, "Too few arguments."},
      {{"-ExpandROM", "rom.smc"}, "Too few arguments."},
      {{"-Info"}, "Too few arguments."},
      {{"-info", "rom.smc"}, "Unrecognized command: -info"},
      {{"-FixChecksum", long_path}, "Path/Filename too long: " + long_path},
      {{"-bogus", "rom.smc"}, "Unrecognized command: -bogus"},
      {{"-expandrom", "rom.smc", "8"}, "Unrecognized command: -expandrom"},
      {{"ExpandROM", "rom.smc", "8"}, "Unrecognized command: ExpandROM"},
      {{"rom.smc", "-ExpandROM", "8"}, "Unrecognized command: rom.smc"},
      {{"", "rom.smc", "8"}, "Unrecognized command: "},
      {{"-ExpandROM", "rom.smc", "48_exhirom"}, "Unrecognized size: 48_exhirom"},
      {{"-ExpandROM", "rom.smc", "4mb"}, "Unrecognized size: 4mb"},
      {{"-ExpandROM", "rom.smc", ""}, "Unrecognized size: "},
      {{"-ExpandROM", "rom.smc", "0"}, "Unrecognized size: 0"},
      {{"-ExpandROM", "rom.smc", "64"}, "Unrecognized size: 64"},
      {{"-ExpandROM", "rom.smc", " 8"}, "Unrecognized size:  8"},
      {{"-ExpandROM", "rom.smc", "48_EXHIROM_1"}, "Unrecognized size: 48_EXHIROM_1"},
      {{"-ExpandROM", long_path, "8"}, "Path/Filename too long: " + long_path},
      {{"-bogus", long_path, "8"}, "Path/Filename too long: " + long_path},
      {{"-ExpandROM", long_name}, "Path/Filename too long: " + long_name},
      {{"-ExpandROM", long_name, "8"}, "Path/Filename too long: " + long_name},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message.substr(0, 60));
    EXPECT_EQ(Romspan(c.arguments), (Outcome{Lines({c.message, kFailedLine}), 1}));
    EXPECT_EQ(ReadWholeFile(At("rom.smc")), rom);
  }
}

enum class Target { kImage, kReadOnlyImage, kNothing, kDirectory, kFifo };

std::vector<std::string> Canceled(const std::string& reason) {
  return {"Expansion Canceled! : " + reason, kFailed};
}

TEST_F(RomspanProgramTest, JobsThatLeaveTheFileAsItWas) {
  using T = Target;
  const std::string d8191 = "d/" + std::string(8189, 'n');
  const std::string cannot_open = "Couldn't open file for writing! : {shown}";
  const struct {
    Target target;
    Bytes image;
    std::string path, size;
    std::vector<std::string> job_lines;  // "{shown}" stands for the path on the ROM-file line
    int exit_code;
  } cases[] = {
      {T::kNothing, {}, "missing.smc", "8", {cannot_open}, 1},
      {T::kReadOnlyImage, Image(0x80000), "rom.smc", "48_EXHIROM", {kReadOnly}, 1},
      {T::kDirectory, {}, "sub", "8", {cannot_open}, 1},
      {T::kFifo, {}, "fifo.smc", "8", {cannot_open}, 1},
      {T::kNothing, {}, "/dev/null", "8", {cannot_open}, 1},
      {T::kNothing, {}, "", "8", {cannot_open}, 1},
      {T::kNothing, {}, d8191, "1", {cannot_open}, 1},
      {T::kImage, Image(0x80000, HeaderAt::kNeither), "rom.smc", "48_EXHIROM",
       Canceled("Cannot determine ROM memory map type."), 1},
      {T::kImage, Image(0x80000), "rom.smc", "48_EXPCHIP",
       Canceled("This is not an SA-1 or S-DD1 game!"), 1},
      {T::kImage, Image(0x80000, HeaderAt::kHiRom, 0x21), "rom.smc", "64_EXLOROM_3",
       Canceled("This is not a LoROM game!"), 1},
      {T::kImage, Image(0x180000), "./rom.smc", "48_EXHIROM",
       Canceled("Cannot convert LoROM games > 8 mbits to ExHiROM."), 1},
      {T::kImage, Image(0x80000, HeaderAt::kLoRom, 0x23), "rom.smc", "64_EXHIROM",
       Canceled("Cannot convert a non-HiROM or non-LoROM game to ExHiROM."), 1},
      {T::kImage, Image(0x80000), "rom.smc", "4", {kNoEffect}, 0},
      {T::kImage, Image(0x80000), "rom.smc", "1", {kNoEffect}, 0},
      {T::kImage, Image(0x400000), "rom.smc", "1MB", {kNoEffect}, 0},
      {T::kImage, Image(0x600000), "rom.smc", "48_EXLOROM_1", {kNoEffect}, 0},
      {T::kImage,
       Image(0x800000, HeaderAt::kLoRom, 0x23, true),
       "rom.smc",
       "64_EXPCHIP",
       {kNoEffect},
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size + " on [" + c.path.substr(0, 40) + "]");
    const std::string path = At(c.path);
    switch (c.target) {
      case Target::kImage:
      case Target::kReadOnlyImage:
        ASSERT_TRUE(WriteWholeFile(path, c.image));
        if (c.target == Target::kReadOnlyImage) {
          ASSERT_EQ(chmod(path.c_str(), 0444), 0);
        }
        break;
      case Target::kDirectory:
        ASSERT_TRUE(fs::create_directory(path));
        break;
      case Target::kFifo:
        ASSERT_EQ(mkfifo(path.c_str(), 0666), 0);
        break;
      case Target::kNothing:
        break;
    }
    // A path with a '/' is shown as typed, a bare name joined to the working folder.
    const std::string shown = c.path.find('/') == std::string::npos ? Shown(c.path) : c.path;
    std::vector<std::string> job_lines;
    for (std::string line : c.job_lines) {
      if (const size_t at = line.find("{shown}"); at != std::string::npos)
        line.replace(at, 7, shown);
      job_lines.push_back(line);
    }
    EXPECT_EQ(Romspan({"-ExpandROM", c.path, c.size}),
              JobRun(shown, c.size, job_lines, c.exit_code));
    struct stat info = {};
    const bool exists = !c.path.empty() && lstat(path.c_str(), &info) == 0;
    switch (c.target) {
      case Target::kImage:
      case Target::kReadOnlyImage:
        EXPECT_EQ(ReadWholeFile(path), c.image);
        break;
      case Target::kDirectory:
        EXPECT_TRUE(exists && S_ISDIR(info.st_mode));
        break;
      case Target::kFifo:
        EXPECT_TRUE(exists && S_ISFIFO(info.st_mode));
        break;
      case Target::kNothing:
        if (c.path == "missing.smc") {
          EXPECT_FALSE(exists) << "the job created the file";
        }
        break;
    }
    if (c.target != Target::kNothing) fs::remove_all(path);
  }
}

enum class Source { kSmallLoRom, kSmallLoRomCopier, kLoRom, kLoRom28, kHiRom, kSa1 };

Bytes SourceImage(Source source) {
  switch (source) {
    case Source::kSmallLoRom:
      return Image(0x10000);
    case Source::kSmallLoRomCopier:
      return Image(0x10000, HeaderAt::kLoRom, 0x20, true);
    case Source::kLoRom:
      return Image(0x80000);
    case Source::kLoRom28:
      return Image(0x380000);
    case Source::kHiRom:
      return Image(0x80000, HeaderAt::kHiRom, 0x21);
    case Source::kSa1:
      return Image(0x80000, HeaderAt::kLoRom, 0x23);
  }
  return {};
}

struct Probe {
  uint32_t offset;
  uint8_t value;
};

TEST_F(RomspanProgramTest, EverySizeNameExpandsItsImage) {
  constexpr uint8_t kBank = 'B';  // first byte of every bank of the images
  const struct {
    Source source;
    std::string size;
    uint32_t length;
    std::vector<Probe> probes;
  } cases[] = {
      {Source::kSmallLoRom, "1", 0x20000, {{0x7FD7, 0x08}}},
      {Source::kSmallLoRom, "2", 0x40000, {{0x7FD7, 0x08}}},
      {Source::kSmallLoRom, "4", 0x80000, {{0x7FD7, 0x09}}},
      {Source::kSmallLoRom, "8", 0x100000, {{0x7FD7, 0x0A}}},
      {Source::kSmallLoRom, "12", 0x180000, {{0x7FD7, 0x0B}}},
      {Source::kSmallLoRom, "16", 0x200000, {{0x7FD7, 0x0B}}},
      {Source::kSmallLoRom, "20", 0x280000, {{0x7FD7, 0x0B}}},
      {Source::kSmallLoRom, "24", 0x300000, {{0x7FD7, 0x0C}}},
      {Source::kSmallLoRom, "28", 0x380000, {{0x7FD7, 0x0C}}},
      {Source::kSmallLoRom, "32", 0x400000, {{0x7FD7, 0x0C}}},
      {Source::kSmallLoRom, "1MB", 0x100000, {{0x7FD7, 0x0A}}},
      {Source::kSmallLoRom, "1.5MB", 0x180000, {{0x7FD7, 0x0B}}},
      {Source::kSmallLoRom, "2MB", 0x200000, {{0x7FD7, 0x0B}}},
      {Source::kSmallLoRom, "2.5MB", 0x280000, {{0x7FD7, 0x0B}}},
      {Source::kSmallLoRom, "3MB", 0x300000, {{0x7FD7, 0x0C}}},
      {Source::kSmallLoRom, "3.5MB", 0x380000, {{0x7FD7, 0x0C}}},
      {Source::kSmallLoRom, "4MB", 0x400000, {{0x7FD7, 0x0C}}},
      {Source::kSmallLoRomCopier, "2MB", 0x200200, {{0x81D7, 0x0B}}},
      {Source::kHiRom, "12", 0x180000, {{0xFFD7, 0x0B}}},
      // HiROM sources tell the mirroring variants apart: block 1's upper half lands at 0x418000.
      {Source::kHiRom, "48_EXHIROM", 0x600000, {{0xFFD5, 0x25}, {0xFFD7, 13}, {0x418001, 0}}},
      {Source::kHiRom, "48_EXHIROM_3", 0x600000, {{0xFFD5, 0x25}, {0xFFD7, 13}, {0x418001, 3}}},
      {Source::kHiRom, "64_EXHIROM", 0x800000, {{0xFFD5, 0x25}, {0xFFD7, 13}, {0x418001, 0}}},
      {Source::kHiRom, "64_EXHIROM_3", 0x800000, {{0xFFD5, 0x25}, {0xFFD7, 13}, {0x418001, 3}}},
      // A LoROM's bank k moves to the upper half of block 64 + k; its old place is cleared.
      {Source::kLoRom,
       "48_EXHIROM",
       0x600000,
       {{0xFFD5, 0x25}, {0xFFD7, 13}, {0x418001, 1}, {0x10000, 0}}},
      {Source::kLoRom, "64_EXHIROM_3", 0x800000, {{0xFFD5, 0x25}, {0xFFD7, 13}, {0x418001, 1}}},
      // Bank 1 is cleared by variant 1, copied to 0x408000 by variants 1 and 3.
      {Source::kLoRom, "48_EXLOROM_1", 0x600000, {{0x7FD7, 13}, {0x8000, 0}, {0x408001, 1}}},
      {Source::kLoRom, "48_EXLOROM_2", 0x600000, {{0x7FD7, 13}, {0x8000, kBank}, {0x408001, 0}}},
      {Source::kLoRom, "48_EXLOROM_3", 0x600000, {{0x7FD7, 13}, {0x8000, kBank}, {0x408001, 1}}},
      {Source::kLoRom, "64_EXLOROM_1", 0x800000, {{0x7FD7, 13}, {0x8000, 0}, {0x408001, 1}}},
      {Source::kLoRom, "64_EXLOROM_2", 0x800000, {{0x7FD7, 13}, {0x8000, kBank}, {0x408001, 0}}},
      {Source::kLoRom, "64_EXLOROM_3", 0x800000, {{0x7FD7, 13}, {0x8000, kBank}, {0x408001, 1}}},
      // The copies of a 28 Mbit image run past a 48 Mbit target, up to 0x780000.
      {Source::kLoRom28, "48_EXLOROM_3", 0x780000, {{0x7FD7, 13}, {0x778001, 111}}},
      {Source::kSa1, "48_EXPCHIP", 0x600000, {{0x7FD7, 13}, {0x7FD5, 0x23}}},
      {Source::kSa1, "64_EXPCHIP", 0x800000, {{0x7FD7, 13}, {0x7FD5, 0x23}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    ASSERT_TRUE(WriteWholeFile(At("rom.smc"), SourceImage(c.source)));
    EXPECT_EQ(Romspan({"-ExpandROM", "rom.smc", c.size}),
              JobRun(Shown("rom.smc"), c.size, {kDone}, 0));
    const Bytes after = ReadWholeFile(At("rom.smc"));
    ASSERT_EQ(after.size(), c.length);
    for (const Probe& probe : c.probes) {
      EXPECT_EQ(after[probe.offset], probe.value) << "at 0x" << std::hex << probe.offset;
    }
    if (kUnderWine) ExpectSameBytes(after, NativeResult(SourceImage(c.source), c.size));
  }
}

TEST_F(RomspanProgramTest, ShowsTheResolvedPathAndIgnoresExtraArguments) {
  ASSERT_TRUE(fs::create_directory(At("sub")));
  const struct {
    std::string typed, file, shown;
    std::vector<std::string> extra;
  } cases[] = {
      {"rom.smc", "rom.smc", "{here}rom.smc", {}},
      {"my rom.smc", "my rom.smc", "{here}my rom.smc", {}},
      {"\xE3\x83\xA1.smc", "\xE3\x83\xA1.smc", "{here}\xE3\x83\xA1.smc", {}},
      {"./rom.smc", "rom.smc", "./rom.smc", {}},
      {"sub/../sub/rom.smc", "sub/rom.smc", "sub/../sub/rom.smc", {}},
      {"{dir}/rom.smc", "rom.smc", "{dir}/rom.smc", {}},
      {"rom.smc", "rom.smc", "{here}rom.smc", {"64_EXHIROM", "x"}},
      {"rom.smc", "rom.smc", "{here}rom.smc", {"4", "5", "6", "7", "8", "9", "10", "11", "12"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    ASSERT_TRUE(WriteWholeFile(At(c.file), Image(0x10000)));
    std::vector<std::string> arguments = {"-ExpandROM", InDir(c.typed), "8"};
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    EXPECT_EQ(Romspan(arguments), JobRun(InDir(c.shown), "8", {kDone}, 0));
    EXPECT_EQ(fs::file_size(At(c.file)), 0x100000u);
    fs::remove(At(c.file));
  }
}

TEST_F(RomspanProgramTest, AFullDiskFailsAndKeepsTheOldData) {
  const struct {
    Bytes image;
    std::string size;
    rlim_t file_size_limit;
  } cases[] = {
      {Image(0x100000), "48_EXHIROM", 0x300000},
      {Image(0x80000), "64_EXHIROM", 0x500000},
      {Image(0x380000), "48_EXLOROM_1", 0x700000},
      {Image(0x380000), "64_EXLOROM_1", 0x600000},
      {Image(0x80000, HeaderAt::kHiRom, 0x21), "64_EXHIROM_3", 0x500000},
      {Image(0x80000), "32", 0x200000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    ASSERT_TRUE(WriteWholeFile(At("rom.smc"), c.image));
    EXPECT_EQ(Romspan({"-ExpandROM", "rom.smc", c.size}, c.file_size_limit),
              JobRun(Shown("rom.smc"), c.size, {kFailed}, 1));
    EXPECT_EQ(ReadWholeFile(At("rom.smc")), c.image);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  }
}

TEST_F(RomspanProgramTest, AFullFileSystemFailsAndKeepsTheOldData) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting needs root";
  const std::string mount_point = At("small");
  ASSERT_TRUE(fs::create_directory(mount_point));
  // The 1 MiB ROM and its 6 MiB working copy need 7 MiB: every smaller file system fills up at
  // another step of the run.
  for (const char* size : {"1100k", "1500k", "3m", "5m", "6m", "7500k"}) {
    SCOPED_TRACE(size);
    if (mount("tmpfs", mount_point.c_str(), "tmpfs", 0, ("size=" + std::string(size)).c_str())) {
      GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    }
    const Bytes image = Image(0x100000);
    const bool written = WriteWholeFile(mount_point + "/rom.smc", image);
    const Outcome run = Romspan({"-ExpandROM", "small/rom.smc", "48_EXHIROM"});
    const Bytes after = ReadWholeFile(mount_point + "/rom.smc");
    const auto left = std::distance(fs::directory_iterator(mount_point), fs::directory_iterator());
    ASSERT_EQ(umount2(mount_point.c_str(), MNT_DETACH), 0);
    ASSERT_TRUE(written);
    EXPECT_EQ(left, 1);
    const std::string outcome = size[0] == '7' ? kDone : size[0] == '1' ? kNoCopy : kFailed;
    if (outcome == kDone) {
      EXPECT_EQ(run, JobRun("small/rom.smc", "48_EXHIROM", {kDone}, 0));
      EXPECT_EQ(after.size(), 0x600000u);
    } else {
      EXPECT_EQ(
          run,
          JobRun("small/rom.smc", "48_EXHIROM",
                 outcome == kNoCopy ? std::vector{kNoCopy, kFailed} : std::vector{kFailed}, 1));
      EXPECT_EQ(after, image);
    }
  }
}

TEST_F(RomspanProgramTest, RefusesFilesOf4GiBOrMore) {
  constexpr off_t k4GiB = off_t{1} << 32;
  const Bytes marker(0x10000, 0xA5);  // data where a wrapped 32-bit length would aim
  for (const off_t length : {k4GiB, k4GiB + 0x10000}) {
    for (const char* size : {"1", "48_EXHIROM"}) {
      SCOPED_TRACE(std::to_string(length) + " bytes, size " + size);
      const std::string path = At("big.smc");
      const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
      ASSERT_GE(fd, 0);
      const bool prepared =
          ftruncate(fd, length) == 0 &&
          pwrite(fd, marker.data(), marker.size(), 0x10000) == static_cast<ssize_t>(marker.size());
      if (!prepared) {
        close(fd);
        GTEST_SKIP() << "this file system cannot hold a sparse 4 GiB file";
      }
      EXPECT_EQ(Romspan({"-ExpandROM", "big.smc", size}),
                JobRun(Shown("big.smc"), size, {kFailed}, 1));
      struct stat info = {};
      ASSERT_EQ(fstat(fd, &info), 0);
      EXPECT_EQ(info.st_size, length);
      Bytes kept(marker.size());
      EXPECT_EQ(pread(fd, kept.data(), kept.size(), 0x10000), static_cast<ssize_t>(kept.size()));
      EXPECT_EQ(kept, marker);
      close(fd);
      fs::remove(path);
    }
  }
}

}  // namespace

// The command line as a user meets it: usage, argument errors, files that are no ROM image, the
// path shown, full disks and files too large. Built for the Linux program and for romspan.exe.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "romspan_runner.h"

namespace {

TEST_F(RomspanTest, UsageAndVersion) {
  std::ifstream file(USAGE);
  const std::string usage((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  for (const std::vector<std::string>& help :
       {std::vector<std::string>{"-h"}, {"--help"}, {"-h", "rom.smc", "8"}})
    EXPECT_EQ(Romspan(help), (Outcome{usage, 0})) << help[0];
  // Without arguments romspan.exe is the dialog, which prints nothing on a console.
  EXPECT_EQ(Romspan({}), (Outcome{kUnderWine ? "" : usage, 1}));
  for (const char* version : {"--version", "-V"})
    EXPECT_EQ(Romspan({version, "rom.smc"}), (Outcome{"romspan " ROMSPAN_VERSION "\n", 0}));
}

TEST_F(RomspanTest, ArgumentErrorsLeaveTheRomAlone) {
  const Bytes rom = MakeRomImage({});
  ASSERT_TRUE(WriteWholeFile(At("rom.smc"), rom));
  const std::string long_path = "x/" + std::string(8190, 'p');  // 8192 bytes
  const std::string long_name(8191, 'n');
  const struct {
    std::vector<std::string> arguments;
    std::string message;
  } cases[] = {
      {{"-ExpandROM"}, "Too few arguments."},
      {{""}, "Too few arguments."},
      {{"-ExpandROM", "rom.smc"}, "Too few arguments."},
      {{"-Info"}, "Too few arguments."},
      {{"-info", "rom.smc"}, "Unrecognized command: -info"},
      {{"-expandrom", "rom.smc", "8"}, "Unrecognized command: -expandrom"},
      {{"rom.smc", "-ExpandROM", "8"}, "Unrecognized command: rom.smc"},
      {{"-ExpandROM", "rom.smc", "48_exhirom"}, "Unrecognized size: 48_exhirom"},
      {{"-ExpandROM", "rom.smc", ""}, "Unrecognized size: "},
      {{"-ExpandROM", "rom.smc", "64"}, "Unrecognized size: 64"},
      {{"-ExpandROM", "rom.smc", " 8"}, "Unrecognized size:  8"},
      {{"-FixChecksum", long_path}, "Path/Filename too long: " + long_path},
      {{"-bogus", long_path, "8"}, "Path/Filename too long: " + long_path},
      {{"-ExpandROM", long_name, "8"}, "Path/Filename too long: " + long_name},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Romspan(c.arguments), (Outcome{Lines({c.message, kFailedLine}), 1}))
        << c.message.substr(0, 60);
    EXPECT_EQ(ReadWholeFile(At("rom.smc")), rom);
  }
}

TEST_F(RomspanTest, FilesThatCannotBeOpened) {
  ASSERT_TRUE(WriteWholeFile(At("read-only.smc"), MakeRomImage({})));
  ASSERT_EQ(chmod(At("read-only.smc").c_str(), 0444), 0);
  ASSERT_TRUE(fs::create_directory(At("sub")));
  ASSERT_EQ(mkfifo(At("fifo.smc").c_str(), 0666), 0);
  const std::string d8191 = "d/" + std::string(8189, 'n');
  for (const std::string path : {"missing.smc", "sub", "fifo.smc", "/dev/null", "NUL", "CON", "",
                                 d8191.c_str(), "read-only.smc"}) {
    // A path with a '/' is shown as typed, a bare name joined to the working folder.
    const std::string shown = path.find('/') == std::string::npos ? Shown(path) : path;
    const std::string why =
        path == "read-only.smc" ? kReadOnly : "Couldn't open file for writing! : " + shown;
    EXPECT_EQ(Romspan({"-ExpandROM", path, "48_EXHIROM"}),
              JobOutput(shown, "48_EXHIROM", {why}, 1));
  }
  EXPECT_FALSE(fs::exists(At("missing.smc")));
  EXPECT_TRUE(fs::is_directory(At("sub")) && fs::is_fifo(At("fifo.smc")));
  EXPECT_EQ(ReadWholeFile(At("read-only.smc")), MakeRomImage({}));
}

TEST_F(RomspanTest, ShowsTheResolvedPathAndIgnoresExtraArguments) {
  ASSERT_TRUE(fs::create_directory(At("sub")));
  const std::string here = Shown("");
  const struct {
    std::string typed, file, shown;
    std::vector<std::string> extra = {};
  } cases[] = {
      {"my rom.smc", "my rom.smc", here + "my rom.smc"},
      {"\xE3\x83\xA1.smc", "\xE3\x83\xA1.smc", here + "\xE3\x83\xA1.smc"},
      {"./rom.smc", "rom.smc", "./rom.smc"},
      {"sub/../sub/rom.smc", "sub/rom.smc", "sub/../sub/rom.smc"},
      {dir_ + "/rom.smc", "rom.smc", dir_ + "/rom.smc"},
      {"rom.smc", "rom.smc", here + "rom.smc", {"4", "5", "6", "7", "8", "9", "10", "11", "12"}},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteWholeFile(At(c.file), MakeRomImage({.data_length = 0x10000})));
    std::vector<std::string> arguments = {"-ExpandROM", c.typed, "8"};
    arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
    EXPECT_EQ(Romspan(arguments), JobOutput(c.shown, "8", {kDone}, 0)) << c.typed;
    EXPECT_EQ(fs::file_size(At(c.file)), 0x100000u);
    fs::remove(At(c.file));
  }
}

TEST_F(RomspanTest, AFullDiskFailsAndKeepsTheOldData) {
  const struct {
    RomSpec rom;
    std::string size;
    rlim_t limit;
  } cases[] = {
      {{.data_length = 0x100000}, "48_EXHIROM", 0x300000},
      {{.data_length = 0x80000, .header = HeaderAt::kHiRom, .map_mode = 0x21},
       "64_EXHIROM_3",
       0x500000},
      {{.data_length = 0x380000}, "48_EXLOROM_1", 0x700000},
      {{.data_length = 0x300000, .map_mode = 0x23}, "64_EXPCHIP", 0x500000},
      {{.data_length = 0x80000}, "32", 0x200000},
  };
  for (const auto& c : cases) {
    const Bytes image = MakeRomImage(c.rom);
    ASSERT_TRUE(WriteWholeFile(At("rom.smc"), image));
    EXPECT_EQ(Romspan({"-ExpandROM", "rom.smc", c.size}, c.limit),
              JobOutput(Shown("rom.smc"), c.size, {kFailed}, 1));
    EXPECT_EQ(ReadWholeFile(At("rom.smc")), image) << c.size;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
  }
}

TEST_F(RomspanTest, AFullFileSystemFailsAndKeepsTheOldData) {
  if (geteuid() != 0) GTEST_SKIP() << "mounting needs root";
  ASSERT_TRUE(fs::create_directory(At("small")));
  // The 1 MiB ROM and its 6 MiB working copy need 7 MiB: every smaller file system fills up at
  // another step of the run.
  for (const std::string size : {"1100k", "1500k", "3m", "6m", "7500k"}) {
    if (mount("tmpfs", At("small").c_str(), "tmpfs", 0, ("size=" + size).c_str()) != 0)
      GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    const Bytes image = MakeRomImage({.data_length = 0x100000});
    const bool written = WriteWholeFile(At("small/rom.smc"), image);
    const Outcome run = Romspan({"-ExpandROM", "small/rom.smc", "48_EXHIROM"});
    const Bytes after = ReadWholeFile(At("small/rom.smc"));
    const auto left = std::distance(fs::directory_iterator(At("small")), fs::directory_iterator());
    ASSERT_EQ(umount2(At("small").c_str(), MNT_DETACH), 0);
    ASSERT_TRUE(written);
    EXPECT_EQ(left, 1) << size;
    const std::vector<std::string> lines = size[0] == '7'   ? std::vector{kDone}
                                           : size[0] == '1' ? std::vector{kNoCopy, kFailed}
                                                            : std::vector{kFailed};
    EXPECT_EQ(run, JobOutput("small/rom.smc", "48_EXHIROM", lines, size[0] == '7' ? 0 : 1)) << size;
    EXPECT_EQ(after.size(), size[0] == '7' ? 0x600000u : image.size());
  }
}

TEST_F(RomspanTest, RefusesFilesOf4GiBOrMore) {
  const Bytes marker(0x10000, 0xA5);  // where a wrapped 32-bit length would aim
  for (const off_t length : {off_t{1} << 32, (off_t{1} << 32) + 0x10000}) {
    const int fd = open(At("big.smc").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0644);
    if (ftruncate(fd, length) != 0 || pwrite(fd, marker.data(), marker.size(), 0x10000) != 0x10000)
      GTEST_SKIP() << "this file system cannot hold a sparse 4 GiB file";
    for (const char* size : {"1", "48_EXHIROM"})
      EXPECT_EQ(Romspan({"-ExpandROM", "big.smc", size}),
                JobOutput(Shown("big.smc"), size, {kFailed}, 1));
    const Outcome info = Romspan({"-Info", "big.smc"});
    EXPECT_NE(info.output.find("\nFile size: " + std::to_string(length) +
                               " bytes\nTarget 1: refused (Operation failed.)\n"),
              std::string::npos)
        << info.output;
    Bytes kept(marker.size());
    EXPECT_EQ(pread(fd, kept.data(), kept.size(), 0x10000), 0x10000);
    EXPECT_EQ(kept, marker);
    EXPECT_EQ(lseek(fd, 0, SEEK_END), length);
    close(fd);
  }
}

}  // namespace

// What only romspan.exe has: a command line it splits itself, drive letters, UTF-16 file names,
// paths past MAX_PATH and the read-only attribute. Its results must be the Linux program's.
#include "romspan_runner.h"

namespace {

class RomspanWindowsTest : public RomspanTest {
 protected:
  // What the Linux program makes of `source` with `size`.
  Bytes NativeResult(const Bytes& source, const std::string& size) const {
    WriteWholeFile(At("native.smc"), source);
    RunProgram(
        {.command = {ROMSPAN_NATIVE_PROGRAM, "-ExpandROM", "native.smc", size}, .directory = dir_});
    const Bytes result = ReadWholeFile(At("native.smc"));
    fs::remove(At("native.smc"));
    return result;
  }
  // Expands a small LoROM at `file` with `arguments` run in `directory`.
  void ExpectExpanded(const std::string& file, const std::vector<std::string>& arguments,
                      const std::string& shown, const std::string& directory = "") {
    const Bytes source = MakeRomImage({.data_length = 0x10000});
    ASSERT_TRUE(WriteWholeFile(file, source));
    EXPECT_EQ(Romspan(arguments, 0, directory), JobOutput(shown, arguments[2], {kDone}, 0));
    EXPECT_TRUE(ReadWholeFile(file) == NativeResult(source, arguments[2])) << shown;
  }
};

const std::string kName = "Zelda \xC3\xA4 \xE2\x82\xBF \xF0\x9F\x8E\xAE.sfc";

// Each line as typed at a Windows prompt: cmd expands the variable to the raw line and hands it
// to CreateProcess unchanged.
TEST_F(RomspanWindowsTest, SplitsTheRawCommandLineAtBlanksOutsideQuotes) {
  ASSERT_TRUE(fs::create_directories(At("sub")) && fs::create_directories(At("my tools")));
  fs::copy_file(ROMSPAN_PROGRAM, At("my tools/romspan.exe"));
  const std::string exe = WindowsPath(ROMSPAN_PROGRAM), here = Shown("");
  const struct {
    std::string line, file, size;  // size: what the file is expanded to; empty: it stays
    std::vector<std::string> output;
    int exit_code = 0;
  } cases[] = {
      {exe + "\t \t-ExpandROM \"my rom\".smc 8  ",
       "my rom.smc",
       "8",
       {"ROM file: " + here + "my rom.smc", "Size: 8", kDone}},
      {exe + " \"-Expand\"ROM x\"y z\"w.smc \"1\"MB",
       "xy zw.smc",
       "1MB",
       {"ROM file: " + here + "xy zw.smc", "Size: 1MB", kDone}},
      {exe + " -ExpandROM \"sub\\\"rom.smc 8",
       "sub/rom.smc",
       "8",
       {"ROM file: sub\\rom.smc", "Size: 8", kDone}},
      {exe + " -ExpandROM rom.smc \"4",
       "rom.smc",
       "4",
       {"ROM file: " + here + "rom.smc", "Size: 4", kDone}},
      {exe + " -ExpandROM \"" + kName + "\" 8",
       kName,
       "8",
       {"ROM file: " + here + kName, "Size: 8", kDone}},
      {"\"" + WindowsPath(dir_) + "\\my tools\\romspan.exe\"   -ExpandROM \"my rom.smc\" 2",
       "my rom.smc",
       "2",
       {"ROM file: " + here + "my rom.smc", "Size: 2", kDone}},
      {"\"" + WindowsPath(dir_) + "\\my tools\"\\romspan.exe -ExpandROM rom.smc 1MB",
       "rom.smc",
       "1MB",
       {"ROM file: " + here + "rom.smc", "Size: 1MB", kDone}},
      {exe + " -ExpandROM rom.smc \"\"", "rom.smc", "", {"Unrecognized size: ", kFailedLine}, 1},
      {exe + " -ExpandROM \"\" 8",
       "rom.smc",
       "",
       {"ROM file: " + here, "Size: 8", "Couldn't open file for writing! : " + here, kFailedLine},
       1},
      {exe + " \"\"", "rom.smc", "", {"Too few arguments.", kFailedLine}, 1},
      {exe + "   ", "rom.smc", "", {}, 1},  // only blanks: the dialog's start, which prints nothing
  };
  for (const auto& c : cases) {
    const Bytes source = MakeRomImage({.data_length = 0x10000});
    ASSERT_TRUE(WriteWholeFile(At(c.file), source));
    EXPECT_EQ(RunUnderWine({.command = {"cmd", "/c", "%ROMSPAN_LINE%"},
                            .directory = dir_,
                            .environment = {"ROMSPAN_LINE=" + c.line}}),
              (Outcome{Lines(c.output), c.exit_code}))
        << c.line;
    EXPECT_TRUE(ReadWholeFile(At(c.file)) ==
                (c.size.empty() ? source : NativeResult(source, c.size)));
    fs::remove(At(c.file));
  }
}

TEST_F(RomspanWindowsTest, OpensNamesBeyondAsciiDrivePathsAndPathsPastMaxPath) {
  const std::string folder = "\xE3\x83\xA1 \xC3\xBC";
  ASSERT_TRUE(fs::create_directory(At(folder)));
  ExpectExpanded(At(kName), {"-ExpandROM", kName, "8"}, Shown(kName));
  ExpectExpanded(At(folder + "/" + kName), {"-ExpandROM", folder + "/" + kName, "12"},
                 folder + "/" + kName);
  // Drive C: is the prefix's drive_c; a drive without a separator is relative to its current
  // folder, its root when none was set.
  const std::string drive_c = std::string(std::getenv("WINEPREFIX")) + "/drive_c/";
  const std::string name = fs::path(dir_).filename().string();
  ASSERT_TRUE(fs::create_directory(drive_c + name));
  ExpectExpanded(drive_c + name + "/rom.smc", {"-ExpandROM", "C:/" + name + "/rom.smc", "8"},
                 "C:/" + name + "/rom.smc");
  ExpectExpanded(drive_c + name + "/rom.smc", {"-ExpandROM", "c:\\" + name + "\\rom.smc", "16"},
                 "c:\\" + name + "\\rom.smc");
  ExpectExpanded(drive_c + name + ".smc", {"-ExpandROM", "C:" + name + ".smc", "8"},
                 "C:" + name + ".smc");
  fs::remove_all(drive_c + name);
  fs::remove(drive_c + name + ".smc");
  // Wine cannot start a program in a working folder of 260 characters or more (it starts in
  // C:\windows instead), so the bare name is joined to a shorter one.
  const std::string level(60, 'd'), working = level + "/" + level + "/" + level;
  const std::string deep = working + "/" + level + "/" + level,
                    long_name = std::string(70, 'n') + ".smc";
  ASSERT_TRUE(fs::create_directories(At(deep)));
  ASSERT_GT(WindowsPath(At(working + "/" + long_name)).size(), 260u);
  ExpectExpanded(At(working + "/" + long_name), {"-ExpandROM", long_name, "8"},
                 WindowsPath(At(working)) + "\\" + long_name, At(working));
  ExpectExpanded(At(deep + "/rom.smc"), {"-ExpandROM", deep + "/rom.smc", "8"}, deep + "/rom.smc");
  ExpectExpanded(At(deep + "/rom.smc"), {"-ExpandROM", WindowsPath(At(deep + "/rom.smc")), "12"},
                 WindowsPath(At(deep + "/rom.smc")));
}

// A file marked read-only by attrib is left alone; a hidden one stays hidden once replaced.
TEST_F(RomspanWindowsTest, KeepsAttributes) {
  const Bytes image = MakeRomImage({});
  ASSERT_TRUE(WriteWholeFile(At("rom.smc"), image) && WriteWholeFile(At("hidden.smc"), image));
  const auto attrib = [this](const std::string& change, const std::string& file) {
    return RunUnderWine({.command = {"cmd", "/c", "attrib", change, file}, .directory = dir_});
  };
  ASSERT_EQ(attrib("+r", "rom.smc"), (Outcome{"", 0}));
  ASSERT_EQ(attrib("+h", "hidden.smc"), (Outcome{"", 0}));
  EXPECT_EQ(Romspan({"-ExpandROM", "rom.smc", "48_EXHIROM"}),
            JobOutput(Shown("rom.smc"), "48_EXHIROM", {kReadOnly}, 1));
  EXPECT_EQ(ReadWholeFile(At("rom.smc")), image);
  EXPECT_EQ(Romspan({"-ExpandROM", "hidden.smc", "8"}),
            JobOutput(Shown("hidden.smc"), "8", {kDone}, 0));
  const std::string listed = attrib("", "hidden.smc").output;
  EXPECT_NE(listed.substr(0, listed.find("Z:")).find('H'), std::string::npos) << listed;
}

}  // namespace

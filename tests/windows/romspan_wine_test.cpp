// What only the Windows program has: a command line it splits itself, drive letters, UTF-16 file
// names, paths past MAX_PATH and the read-only attribute. Runs romspan.exe under Wine.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "romspan_runner.h"

namespace {

using namespace romspan_test;

class RomspanWindowsTest : public RomspanProgramTest {
 protected:
  void TearDown() override {
    std::error_code ignored;
    for (const std::string& path : outside_) fs::remove_all(path, ignored);
    RomspanProgramTest::TearDown();
  }
  // Runs `line` as typed at a Windows prompt, word for word: cmd expands the variable to the
  // raw line and hands it to CreateProcess unchanged. Placeholders: {exe} is romspan.exe, {win}
  // the scratch folder as a Windows path.
  Outcome RunLine(std::string line) const {
    for (size_t at; (at = line.find("{exe}")) != std::string::npos;) {
      line.replace(at, 5, WindowsPath(ROMSPAN_PROGRAM));
    }
    for (size_t at; (at = line.find("{win}")) != std::string::npos;) {
      line.replace(at, 5, WindowsPath(dir_));
    }
    return RunUnderWine({.command = {"cmd", "/c", "%ROMSPAN_LINE%"},
                         .directory = dir_,
                         .environment = "ROMSPAN_LINE=" + line});
  }
  // Expands a small LoROM at `file` with `arguments` and checks the output and the bytes.
  void ExpectExpanded(const std::string& file, const std::vector<std::string>& arguments,
                      const std::string& shown, const std::string& directory = "") {
    const Bytes source = Image(0x10000);
    ASSERT_TRUE(WriteWholeFile(file, source));
    EXPECT_EQ(RunRomspan(directory.empty() ? dir_ : directory, arguments),
              JobRun(shown, arguments[2], {kDone}, 0));
    ExpectSameBytes(ReadWholeFile(file), NativeResult(source, arguments[2]));
  }

  std::vector<std::string> outside_;  // removed at the end
};

TEST_F(RomspanWindowsTest, SplitsTheRawCommandLineAtBlanksOutsideQuotes) {
  ASSERT_TRUE(fs::create_directories(At("sub")));
  ASSERT_TRUE(fs::create_directories(At("my tools")));
  fs::copy_file(ROMSPAN_PROGRAM, At("my tools/romspan.exe"));
  const struct {
    std::string line;  // the whole command line
    std::string file;  // where the ROM lies
    std::string size;  // the size it is expanded to; empty: it stays as it was
    std::vector<std::string> output;
    int exit_code;
  } cases[] = {
      // Tab, blank, tab after the program name; quotes inside a word; blanks at the end.
      {"{exe}\t \t-ExpandROM \"my rom\".smc 8  ",
       "my rom.smc",
       "8",
       {"ROM file: {here}my rom.smc", "Size: 8", kDone},
       0},
      {"{exe} \"-Expand\"ROM x\"y z\"w.smc \"1\"MB",
       "xy zw.smc",
       "1MB",
       {"ROM file: {here}xy zw.smc", "Size: 1MB", kDone},
       0},
      // A backslash escapes nothing; the quote only ends the quoted part.
      {"{exe} -ExpandROM \"sub\\\"rom.smc 8",
       "sub/rom.smc",
       "8",
       {"ROM file: sub\\rom.smc", "Size: 8", kDone},
       0},
      {"{exe} -ExpandROM rom.smc \"4",
       "rom.smc",
       "4",
       {"ROM file: {here}rom.smc", "Size: 4", kDone},
       0},
      {"{exe} -ExpandROM \"Zelda \xC3\xA4 \xE2\x82\xBF \xF0\x9F\x8E\xAE.sfc\" 8",
       "Zelda \xC3\xA4 \xE2\x82\xBF \xF0\x9F\x8E\xAE.sfc",
       "8",
       {"ROM file: {here}Zelda \xC3\xA4 \xE2\x82\xBF \xF0\x9F\x8E\xAE.sfc", "Size: 8", kDone},
       0},
      // A quoted program name with a blank in it, then three blanks.
      {"\"{win}\\my tools\\romspan.exe\"   -ExpandROM \"my rom.smc\" 2",
       "my rom.smc",
       "2",
       {"ROM file: {here}my rom.smc", "Size: 2", kDone},
       0},
      // A quoted folder and an unquoted file name make one program name.
      {"\"{win}\\my tools\"\\romspan.exe -ExpandROM rom.smc 1MB",
       "rom.smc",
       "1MB",
       {"ROM file: {here}rom.smc", "Size: 1MB", kDone},
       0},
      {"{exe} -ExpandROM rom.smc \"\"", "rom.smc", "", {"Unrecognized size: ", kFailedLine}, 1},
      {"{exe} -ExpandROM \"\" 8",
       "rom.smc",
       "",
       {"ROM file: {here}", "Size: 8", "Couldn't open file for writing! : {here}", kFailedLine},
       1},
      {"{exe} \"\"", "rom.smc", "", {"Too few arguments.", kFailedLine}, 1},
      // Only blanks after the program name: the dialog's start, which prints nothing.
      {"{exe}   ", "rom.smc", "", {}, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const Bytes source = Image(0x10000);
    ASSERT_TRUE(WriteWholeFile(At(c.file), source));
    EXPECT_EQ(RunLine(c.line), (Outcome{InDir(Lines(c.output)), c.exit_code}));
    ExpectSameBytes(ReadWholeFile(At(c.file)),
                    c.size.empty() ? source : NativeResult(source, c.size));
    fs::remove(At(c.file));
  }
}

TEST_F(RomspanWindowsTest, OpensAndPrintsNamesBeyondAscii) {
  const std::string name = "Zelda \xC3\xA4 \xE2\x82\xBF \xF0\x9F\x8E\xAE.sfc";
  const std::string folder = "\xE3\x83\xA1 \xC3\xBC";
  ASSERT_TRUE(fs::create_directory(At(folder)));
  ExpectExpanded(At(name), {"-ExpandROM", name, "8"}, Shown(name));
  ExpectExpanded(At(folder + "/" + name), {"-ExpandROM", folder + "/" + name, "12"},
                 folder + "/" + name);
}

TEST_F(RomspanWindowsTest, UsesDrivePathsAsTyped) {
  const char* prefix = std::getenv("WINEPREFIX");
  ASSERT_NE(prefix, nullptr);
  const std::string drive_c = std::string(prefix) + "/drive_c/";
  const std::string folder = fs::path(dir_).filename().string();
  outside_ = {drive_c + folder, drive_c + folder + ".smc"};
  ASSERT_TRUE(fs::create_directory(drive_c + folder));
  ExpectExpanded(drive_c + folder + "/rom.smc", {"-ExpandROM", "C:/" + folder + "/rom.smc", "8"},
                 "C:/" + folder + "/rom.smc");
  ExpectExpanded(drive_c + folder + "/rom.smc", {"-ExpandROM", "c:\\" + folder + "\\rom.smc", "16"},
                 "c:\\" + folder + "\\rom.smc");
  // Relative to drive C's current folder, which is its root when none was set.
  ExpectExpanded(drive_c + folder + ".smc", {"-ExpandROM", "C:" + folder + ".smc", "8"},
                 "C:" + folder + ".smc");
}

// romspan.exe carries no manifest. Wine opens file paths of any length whatever a manifest says,
// but cannot start a program in a working folder of MAX_PATH (260) characters or more: it says
// "could not open working directory" and starts in C:\windows instead, so the bare name below is
// joined to a folder that Wine accepts.
TEST_F(RomspanWindowsTest, HandlesPathsLongerThanMaxPath) {
  const std::string level(60, 'd');
  const std::string working = level + "/" + level + "/" + level;  // about 210 characters
  const std::string deep = working + "/" + level + "/" + level;
  ASSERT_TRUE(fs::create_directories(At(deep)));
  const std::string name = std::string(70, 'n') + ".smc";
  const std::string joined = WindowsPath(At(working)) + "\\" + name;
  ASSERT_GT(joined.size(), 260u);
  ExpectExpanded(At(working + "/" + name), {"-ExpandROM", name, "8"}, joined, At(working));
  ExpectExpanded(At(deep + "/rom.smc"), {"-ExpandROM", deep + "/rom.smc", "8"}, deep + "/rom.smc");
  const std::string absolute = WindowsPath(At(deep + "/rom.smc"));
  ExpectExpanded(At(deep + "/rom.smc"), {"-ExpandROM", absolute, "12"}, absolute);
}

TEST_F(RomspanWindowsTest, KeepsAFileMarkedReadOnlyByAttrib) {
  const Bytes image = Image(0x80000);
  ASSERT_TRUE(WriteWholeFile(At("rom.smc"), image));
  ASSERT_EQ(RunUnderWine({.command = {"cmd", "/c", "attrib", "+r", "rom.smc"}, .directory = dir_}),
            (Outcome{"", 0}));
  EXPECT_EQ(Romspan({"-ExpandROM", "rom.smc", "48_EXHIROM"}),
            JobRun(Shown("rom.smc"), "48_EXHIROM", {kReadOnly}, 1));
  ExpectSameBytes(ReadWholeFile(At("rom.smc")), image);
}

TEST_F(RomspanWindowsTest, InfoAndFixChecksumAsOnLinux) {
  const std::string name = "Zelda \xC3\xA4 \xE2\x82\xBF \xF0\x9F\x8E\xAE.sfc";
  const Bytes image = Image(0x300000);  // summed mirrored: the fixture's own sum does not match
  const std::string folder = At("native");
  ASSERT_TRUE(fs::create_directory(folder));
  ASSERT_TRUE(WriteWholeFile(At(name), image) && WriteWholeFile(folder + "/rom.sfc", image));
  const std::string native_path = "ROM file: " + folder + "/rom.sfc\n";
  for (const char* command : {"-Info", "-FixChecksum", "-Info", "-FixChecksum"}) {
    SCOPED_TRACE(command);
    Outcome expected = romspan_test::Run(
        {.command = {ROMSPAN_NATIVE_PROGRAM, command, "rom.sfc"}, .directory = folder});
    ASSERT_EQ(expected.output.rfind(native_path, 0), 0u);
    expected.output.replace(0, native_path.size(), "ROM file: " + Shown(name) + "\n");
    EXPECT_EQ(Romspan({command, name}), expected);
    ExpectSameBytes(ReadWholeFile(At(name)), ReadWholeFile(folder + "/rom.sfc"));
  }
  EXPECT_NE(ReadWholeFile(At(name)), image);
}

}  // namespace

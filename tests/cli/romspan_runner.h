// Runs the built romspan on synthetic images in a scratch folder: the Linux program, or with
// ROMSPAN_UNDER_WINE romspan.exe under Wine. Both hand back "\n" line ends and show paths as the
// program under test does, so one expectation serves both.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <vector>

#include "rom_image.h"
#include "run_program.h"

#ifndef ROMSPAN_UNDER_WINE
#define ROMSPAN_UNDER_WINE 0
#define ROMSPAN_WINE ""
#define ROMSPAN_WINESERVER ""
#endif

namespace fs = std::filesystem;
inline constexpr bool kUnderWine = ROMSPAN_UNDER_WINE;

inline void PrintTo(const Outcome& run, std::ostream* os) {
  *os << "exit " << run.exit_code << ", output:\n" << run.output.substr(0, 3000);
}

// The first program of a Wine session starts helpers that would hold our pipe open, and a
// session started under a file size limit keeps it: every run joins a session a quiet program
// started. Windows lines end in "\r\n"; a bare "\n" is marked so that it fails comparisons.
inline Outcome RunUnderWine(Launch launch) {
  if (RunProgram({.command = {ROMSPAN_WINESERVER, "-p10"}, .capture = false}).exit_code == 0)
    RunProgram({.command = {ROMSPAN_WINE, "cmd", "/c", "exit"}, .capture = false});
  launch.command.insert(launch.command.begin(), ROMSPAN_WINE);
  Outcome run = RunProgram(launch);
  std::string lines;
  for (size_t i = 0; i < run.output.size(); ++i) {
    if (run.output[i] == '\r' && i + 1 < run.output.size() && run.output[i + 1] == '\n') continue;
    if (run.output[i] == '\n' && (i == 0 || run.output[i - 1] != '\r')) lines += "<bare LF>";
    lines += run.output[i];
  }
  run.output = lines;
  return run;
}

inline std::string WindowsPath(std::string path) {  // Wine shows the Linux tree as drive Z:
  for (char& c : path) c = c == '/' ? '\\' : c;
  return "Z:" + path;
}

inline std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

inline const std::string kFailedLine = "Romspan: Requested operation failed.";
inline const std::string kDone = "Done! : ROM has been expanded.";
inline const std::string kFailed = "Failed! : Operation failed.";
inline const std::string kNoEffect = "No Effect! : The ROM was already this size or higher.";
inline const std::string kNoCopy =
    "Couldn't make a working copy of the ROM! : Its folder must be writable and have room for a "
    "copy of the ROM.";
inline const std::string kReadOnly =
    kUnderWine ? "The file is marked as \"Read-Only\"! : Right click on the file, select "
                 "\"Properties\", and uncheck the \"Read-Only\" attribute."
               : "The file is marked as \"Read-Only\"! : Make the file writable with \"chmod u+w\" "
                 "and try again.";

// What -ExpandROM prints once its arguments are accepted.
inline Outcome JobOutput(const std::string& shown, const std::string& size,
                         std::vector<std::string> lines, int exit_code) {
  lines.insert(lines.begin(), {"ROM file: " + shown, "Size: " + size});
  if (exit_code != 0) lines.push_back(kFailedLine);
  return {Lines(lines), exit_code};
}

class RomspanTest : public testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "romspan-cli-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = fs::canonical(pattern).string();
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string At(const std::string& name) const { return dir_ + "/" + name; }
  // How the program shows a bare `name`: joined to its working folder, the scratch folder.
  std::string Shown(const std::string& name) const {
    return kUnderWine ? WindowsPath(dir_) + "\\" + name : At(name);
  }
  Outcome Romspan(const std::vector<std::string>& arguments, rlim_t file_size_limit = 0,
                  const std::string& directory = "") const {
    Launch launch = {.command = {ROMSPAN_PROGRAM},
                     .directory = directory.empty() ? dir_ : directory,
                     .file_size_limit = file_size_limit};
    launch.command.insert(launch.command.end(), arguments.begin(), arguments.end());
    return kUnderWine ? RunUnderWine(launch) : RunProgram(launch);
  }
  std::string dir_;
};

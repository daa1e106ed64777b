// Runs the built romspan program on synthetic ROM images in a scratch folder: the Linux build
// directly, or with ROMSPAN_UNDER_WINE the Windows build under Wine. Both flavours hand back the
// output with "\n" line ends and show joined paths the way the program under test does, so one
// expectation serves both.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "rom_image.h"

#ifndef ROMSPAN_UNDER_WINE
#define ROMSPAN_UNDER_WINE 0
#define ROMSPAN_WINE ""
#define ROMSPAN_WINESERVER ""
#define ROMSPAN_NATIVE_PROGRAM ROMSPAN_PROGRAM
#endif

namespace romspan_test {

namespace fs = std::filesystem;

inline constexpr bool kUnderWine = ROMSPAN_UNDER_WINE;

struct Outcome {
  std::string output;  // standard output and standard error, interleaved as a user sees them
  int exit_code = -1;  // -1 when the program did not exit by itself
  bool operator==(const Outcome&) const = default;
};

inline void PrintTo(const Outcome& run, std::ostream* os) {
  *os << "exit " << run.exit_code << ", output:\n" << run.output.substr(0, 2000);
}

struct Launch {
  std::vector<std::string> command = {};  // command[0] is the program's path
  std::string directory = "/";
  rlim_t file_size_limit = 0;    // nonzero: every write beyond that offset fails, as on a full disk
  std::string environment = {};  // "NAME=value" added to the program's environment, or empty
  bool capture = true;           // false: the output goes to /dev/null
};

// A program that blocks dies instead of hanging the tests; a cold Wine start takes seconds.
inline constexpr unsigned kTimeoutSeconds = kUnderWine ? 60 : 10;

inline Outcome Run(Launch launch) {
  std::vector<char*> argv;
  for (std::string& word : launch.command) argv.push_back(word.data());
  argv.push_back(nullptr);
  int fds[2];
  if (pipe(fds) != 0) return {"pipe failed", -1};
  const pid_t pid = fork();
  if (pid == 0) {
    const int null = open("/dev/null", O_RDWR);
    const int out = launch.capture ? fds[1] : null;
    dup2(null, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    dup2(out, STDERR_FILENO);
    close(fds[0]);
    close(fds[1]);
    if (chdir(launch.directory.c_str()) != 0) _exit(126);
    if (!launch.environment.empty()) putenv(launch.environment.data());
    if (launch.file_size_limit != 0) {
      signal(SIGXFSZ, SIG_IGN);  // writes past the limit then fail with EFBIG
      const rlimit limit = {launch.file_size_limit, launch.file_size_limit};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    }
    alarm(kTimeoutSeconds);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(fds[1]);
  Outcome run;
  char chunk[4096];
  for (ssize_t got; (got = read(fds[0], chunk, sizeof(chunk))) != 0;) {
    if (got > 0) run.output.append(chunk, static_cast<size_t>(got));
    if (got < 0 && errno != EINTR) break;
  }
  close(fds[0]);
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) return {"could not run " + launch.command[0], -1};
  if (WIFEXITED(status)) run.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) run.output += "<killed by signal " + std::to_string(WTERMSIG(status));
  return run;
}

// The first program of a Wine session starts helper programs (services.exe, explorer.exe, ...)
// that inherit its standard handles and would hold the output pipe open until the session ends;
// a session started under a file size limit would keep that limit. So every run joins a session
// that a quiet program started: "wineserver -p10" starts a server (exit code 0) only when none
// is running, and keeps it 10 seconds after its last program.
inline void EnsureWineSession() {
  if (Run({.command = {ROMSPAN_WINESERVER, "-p10"}, .capture = false}).exit_code == 0) {
    Run({.command = {ROMSPAN_WINE, "cmd", "/c", "exit"}, .capture = false});
  }
}

// Windows programs write text-mode lines ending in "\r\n"; they become "\n", and any other line
// end is marked so that it fails the comparison.
inline std::string FromWindowsLines(const std::string& text) {
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool ends_line = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
    if (ends_line) continue;
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) lines += "<LF without CR>";
    lines += text[i];
  }
  return lines;
}

// Runs the launch's command under Wine, its output turned into "\n" lines.
inline Outcome RunUnderWine(Launch launch) {
  EnsureWineSession();
  launch.command.insert(launch.command.begin(), ROMSPAN_WINE);
  Outcome run = Run(launch);
  run.output = FromWindowsLines(run.output);
  return run;
}

// Runs romspan with `arguments` in `directory`.
inline Outcome RunRomspan(const std::string& directory, const std::vector<std::string>& arguments,
                          rlim_t file_size_limit = 0) {
  Launch launch = {
      .command = {ROMSPAN_PROGRAM}, .directory = directory, .file_size_limit = file_size_limit};
  launch.command.insert(launch.command.end(), arguments.begin(), arguments.end());
  return kUnderWine ? RunUnderWine(launch) : Run(launch);
}

// Wine shows the Linux file system as drive Z:.
inline std::string WindowsPath(std::string linux_path) {
  for (char& c : linux_path) c = c == '/' ? '\\' : c;
  return "Z:" + linux_path;
}

inline std::string Lines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

inline const std::string kFailedLine = "Romspan: Requested operation failed.";
inline const std::string kDone = "Done! : ROM has been expanded.";
inline const std::string kFailed = "Failed! : Operation failed.";
inline const std::string kNoCopy =
    "Couldn't make a working copy of the ROM! : Its folder must be writable and have room for a "
    "copy of the ROM.";
inline const std::string kNoEffect = "No Effect! : The ROM was already this size or higher.";
// Each platform tells how to make the file writable with its own tools.
inline const std::string kReadOnly =
    kUnderWine ? "The file is marked as \"Read-Only\"! : Right click on the file, select "
                 "\"Properties\", and uncheck the \"Read-Only\" attribute."
               : "The file is marked as \"Read-Only\"! : Make the file writable with \"chmod u+w\" "
                 "and try again.";

// What a run of -ExpandROM prints once its arguments are accepted.
inline Outcome JobRun(const std::string& shown_path, const std::string& size,
                      std::vector<std::string> job_lines, int exit_code) {
  job_lines.insert(job_lines.begin(), {"ROM file: " + shown_path, "Size: " + size});
  if (exit_code != 0) job_lines.push_back(kFailedLine);
  return {Lines(job_lines), exit_code};
}

inline Bytes Image(uint32_t length, HeaderAt at = HeaderAt::kLoRom, uint8_t map_mode = 0x20,
                   bool copier_header = false) {
  RomSpec layout;
  layout.data_length = length;
  layout.header = at;
  layout.map_mode = map_mode;
  layout.copier_header = copier_header;
  return MakeRomImage(layout);
}

// Reports the first differing offset instead of megabytes of bytes.
inline void ExpectSameBytes(const Bytes& actual, const Bytes& expected) {
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  EXPECT_TRUE(at == actual.size() && at == expected.size())
      << "sizes 0x" << std::hex << actual.size() << " and 0x" << expected.size()
      << ", first difference at 0x" << at;
}

class RomspanProgramTest : public testing::Test {
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
  Outcome Romspan(const std::vector<std::string>& arguments, rlim_t file_size_limit = 0) const {
    return RunRomspan(dir_, arguments, file_size_limit);
  }
  // Replaces every "{dir}" with the scratch folder and every "{here}" with the working folder
  // as the program shows it, separator included.
  std::string InDir(std::string text) const {
    for (size_t at; (at = text.find("{dir}")) != std::string::npos;) text.replace(at, 5, dir_);
    for (size_t at; (at = text.find("{here}")) != std::string::npos;) {
      text.replace(at, 6, Shown(""));
    }
    return text;
  }
  // What the Linux build leaves of `source` after -ExpandROM `size`: the Windows build must leave
  // the same bytes.
  Bytes NativeResult(const Bytes& source, const std::string& size) const {
    const std::string folder = At("native-reference");
    fs::create_directory(folder);
    WriteWholeFile(folder + "/rom.smc", source);
    romspan_test::Run({.command = {ROMSPAN_NATIVE_PROGRAM, "-ExpandROM", "rom.smc", size},
                       .directory = folder,
                       .capture = false});
    const Bytes result = ReadWholeFile(folder + "/rom.smc");
    fs::remove_all(folder);
    return result;
  }

  std::string dir_;
};

}  // namespace romspan_test

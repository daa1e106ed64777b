#include "parse_command_line.h"

#include <cstdio>
#include <cstring>

#include "checksum_job.h"
#include "copier_header_job.h"
#include "expansion_job.h"
#include "notify.h"
#include "resolve_full_path.h"
#include "rom_facts.h"
#include "rom_job.h"
#include "romspan_version.h"
#include "size_names.h"

namespace {

constexpr const char* kProgramName = "Romspan";
constexpr const char* kExpandRomCommand = "-ExpandROM";
constexpr const char* kInfoCommand = "-Info";
constexpr const char* kFixChecksumCommand = "-FixChecksum";
constexpr const char* kRemoveHeaderCommand = "-RemoveHeader";
constexpr const char* kAddHeaderCommand = "-AddHeader";
constexpr const char* kCommands[] = {kExpandRomCommand, kInfoCommand, kFixChecksumCommand,
                                     kRemoveHeaderCommand, kAddHeaderCommand};

bool IsCommand(const char* argument) {
  for (const char* command : kCommands) {
    if (std::strcmp(argument, command) == 0) return true;
  }
  return false;
}

void PrintFact(void*, const char* name, const char* value) {
  std::printf("%s: %s\n", name, value);
}

bool PrintRomFacts() {
  RomFacts facts;
  if (!GatherRomFacts(nullptr, &facts)) return false;
  ListRomFacts(facts, PrintFact, nullptr);
  return true;
}

// The commands that take the file alone, and run their job on rom_path.
bool RunFileCommand(const char* command) {
  if (std::strcmp(command, kInfoCommand) == 0) return PrintRomFacts();
  if (std::strcmp(command, kFixChecksumCommand) == 0) return RunChecksumJob(nullptr);
  if (std::strcmp(command, kRemoveHeaderCommand) == 0) return RunRemoveHeaderJob(nullptr);
  return RunAddHeaderJob(nullptr);
}

bool IsBackupOption(const char* argument) {
  return std::strcmp(argument, "-b") == 0 || std::strcmp(argument, "--backup") == 0;
}

bool IsHelpRequest(int argc, char** argv) {
  return argc > 1 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0);
}

bool IsVersionRequest(int argc, char** argv) {
  return argc > 1 && (std::strcmp(argv[1], "-V") == 0 || std::strcmp(argv[1], "--version") == 0);
}

}  // namespace

bool ParseCommandLine(int argc, char** argv) {
  if (argc <= 2) {
    std::printf("%s\n", "Too few arguments.");
    return false;
  }
  command_line_mode = true;
  char full_path[kFullPathCapacity];
  if (!ResolveFullPath(full_path, argv[2])) {
    std::printf("%s: %s\n", "Path/Filename too long", argv[2]);
    return false;
  }
  if (!IsCommand(argv[1])) {
    std::printf("Unrecognized command: %s\n", argv[1]);
    return false;
  }
  if (std::strcmp(argv[1], kExpandRomCommand) != 0) {
    std::printf("ROM file: %s\n", full_path);
    std::memcpy(rom_path, full_path, std::strlen(full_path) + 1);
    return RunFileCommand(argv[1]);
  }
  if (argc < 4) {
    std::printf("%s\n", "Too few arguments.");
    return false;
  }
  const SizeName* size = FindSizeName(argv[3]);
  if (size == nullptr) {
    std::printf("%s: %s\n", "Unrecognized size", argv[3]);
    return false;
  }
  // Further arguments were always ignored; only this one asks for more.
  const bool fix_checksum = argc > 4 && std::strcmp(argv[4], kFixChecksumCommand) == 0;
  std::printf("ROM file: %s\n", full_path);
  std::printf("Size: %s\n", argv[3]);
  std::memcpy(rom_path, full_path, std::strlen(full_path) + 1);
  return RunExpansionJob(nullptr, size->size_code, fix_checksum);
}

void PrintUsage() {
  std::printf(
      "Usage: romspan [-b | --backup] %s FILE SIZE [%s]\n"
      "       romspan %s FILE\n"
      "       romspan [-b | --backup] %s FILE\n"
      "       romspan [-b | --backup] %s FILE\n"
      "       romspan [-b | --backup] %s FILE\n"
      "       romspan -h | --help\n"
      "       romspan -V | --version\n"
      "\n"
      "Expands the SNES ROM image FILE to SIZE. Always back up your ROM first!\n"
      "Keeps a 512-byte copier header (length bit 0x200); leaves the checksum as it was,\n"
      "unless %s follows SIZE: then it also fixes the checksum, in the same run.\n"
      "%s prints what FILE holds and what each SIZE would do to it, writing nothing.\n"
      "%s writes the checksum emulators compute into the header of FILE.\n"
      "%s drops a 512-byte copier header; %s puts one in front of the ROM.\n"
      "--backup keeps FILE as it was beside it, as FILE.bak (or FILE.1.bak, ...).\n"
      "Exit codes: 0 done or no effect, 1 failure.\n"
      "\n"
      "SIZE is one of:\n",
      kExpandRomCommand, kFixChecksumCommand, kInfoCommand, kFixChecksumCommand,
      kRemoveHeaderCommand, kAddHeaderCommand, kFixChecksumCommand, kInfoCommand,
      kFixChecksumCommand, kRemoveHeaderCommand, kAddHeaderCommand);
  for (size_t i = 0; i < kSizeNameCount; ++i) {
    std::printf("  %-14s%s\n", kSizeNames[i].name, kSizeNames[i].description);
  }
}

int RunArguments(int argc, char** argv) {
  if (IsHelpRequest(argc, argv)) {
    PrintUsage();
    return 0;
  }
  if (IsVersionRequest(argc, argv)) {
    std::printf("romspan %s\n", ROMSPAN_VERSION_TEXT);
    std::fflush(stdout);
    return 0;
  }
  // The option comes before the command, whose arguments then start one further on.
  keep_backups = argc > 1 && IsBackupOption(argv[1]);
  const bool succeeded =
      keep_backups ? ParseCommandLine(argc - 1, argv + 1) : ParseCommandLine(argc, argv);
  if (!succeeded) std::printf("%s: Requested operation failed.\n", kProgramName);
  std::fflush(stdout);
  return succeeded ? 0 : 1;
}

// Outcomes of the job that leave the ROM as it was: refusals, cancellations, "No Effect!",
// files that cannot be opened or measured, and writes that do not go through.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "expansion_job.h"
#include "job_harness.h"
#include "notify.h"
#include "rom_file.h"

namespace {

RomSpec Lo(uint32_t length, uint8_t map = 0x20, uint8_t chipset = 0) {
  return {.data_length = length, .map_mode = map, .chipset = chipset};
}
RomSpec Hi(uint32_t length, uint8_t map = 0x21, uint8_t chipset = 0) {
  return {.data_length = length, .header = HeaderAt::kHiRom, .map_mode = map, .chipset = chipset};
}
RomSpec Neither(uint32_t length) {
  return {.data_length = length, .header = HeaderAt::kNeither};
}

std::string Canceled(const char* reason) {
  return std::string(reason) + kFailed;
}

struct Outcome {
  const char* name;
  RomSpec rom;
  uint32_t code;
  bool ok;
  std::string out;
};

TEST(JobOutcome, LeavesTheFileUnchanged) {
  const Outcome cases[] = {
      {"9 Mbit LoROM", Lo(0x120000), 0x30, false, Canceled(kLoRomTooLarge)},
      {"8 Mbit + 1 bank LoROM", Lo(0x108000), 0x140, false, Canceled(kLoRomTooLarge)},
      {"map 0x23", Hi(0x100000, 0x23), 0x30, false, Canceled(kNotHiOrLoRom)},
      {"map 0x32", Lo(0x100000, 0x32), 0x140, false, Canceled(kNotHiOrLoRom)},
      {"map 0x24", Hi(0x100000, 0x24), 0x40, false, Canceled(kNotHiOrLoRom)},
      {"HiROM", Hi(0x100000), 0x1040, false, Canceled(kNotLoRom)},
      {"ExHiROM", Hi(0x100000, 0x25), 0x1030, false, Canceled(kNotLoRom)},
      {"map 0x23", Lo(0x100000, 0x23), 0x2030, false, Canceled(kNotLoRom)},
      {"map 0x32", Lo(0x100000, 0x32), 0x4040, false, Canceled(kNotLoRom)},
      {"HiROM chipset 0x02", Hi(0x100000, 0x21, 0x02), 0x10030, false, Canceled(kNotSpecialChip)},
      {"chipset 0x12", Lo(0x100000, 0x20, 0x12), 0x10040, false, Canceled(kNotSpecialChip)},
      {"chipset 0x16", Lo(0x100000, 0x20, 0x16), 0x10040, false, Canceled(kNotSpecialChip)},
      {"chipset 0x1B", Lo(0x100000, 0x20, 0x1B), 0x10040, false, Canceled(kNotSpecialChip)},
      {"map 0x24", Lo(0x100000, 0x24), 0x10030, false, Canceled(kNotSpecialChip)},
      // The special-chip selector wins over the ExLoROM one, which wins over the mirror flag.
      {"LoROM", Lo(0x100000), 0x11030, false, Canceled(kNotSpecialChip)},
      {"HiROM", Hi(0x100000), 0x1130, false, Canceled(kNotLoRom)},
      {"no valid pair", Neither(0x100000), 0x30, false, Canceled(kMapUnknown)},
      {"no valid pair", Neither(0x100000), 0x140, false, Canceled(kMapUnknown)},
      {"no valid pair", Neither(0x100000), 0x1040, false, Canceled(kMapUnknown)},
      {"no valid pair", Neither(0x100000), 0x10030, false, Canceled(kMapUnknown)},
      {"too short for 0xFFDE", Neither(0x8000), 0x30, false, Canceled(kMapUnknown)},
      {"size 65", Lo(0x80000), 0x41, false, kFailed},
      {"size 255", Lo(0x80000), 0xFF, false, kFailed},
      {"size 65", Lo(0x80000), 0x141, false, kFailed},
      {"size 65", Lo(0x80000), 0x1041, false, kFailed},
      {"size 65", Lo(0x80000), 0x10041, false, kFailed},
      {"size 0 under 1 Mbit", Lo(0x1FC00), 0x0, false, kFailed},
      {"size 0 under 1 Mbit", Lo(0x1FC00), 0x10000, false, kFailed},
      {"size 0", Lo(0x20000), 0x0, true, kNoEffect},
      {"size 0", Lo(0x80000), 0x1000, true, kNoEffect},
      {"at target", Lo(0x80000), 0x4, true, kNoEffect},
      {"32 Mbit to 8", Lo(0x400000), 0x8, true, kNoEffect},
      {"48 Mbit", Hi(0x600000, 0x25), 0x30, true, kNoEffect},
      {"48 Mbit", Hi(0x600000, 0x25), 0x130, true, kNoEffect},
      {"48 Mbit", Lo(0x600000), 0x1030, true, kNoEffect},
      {"48 Mbit", Lo(0x600000), 0x10030, true, kNoEffect},
      {"64 Mbit, no valid pair", Neither(0x800000), 0x40, true, kNoEffect},
  };
  for (const Outcome& c : cases) {
    for (const bool copier : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << " code 0x" << std::hex << c.code
                                      << (copier ? " with copier header" : ""));
      RomSpec source = c.rom;
      source.copier_header = copier;
      const Bytes image = MakeRomImage(source);
      const JobRun run = RunJob(image, c.code);
      EXPECT_EQ(run.ok, c.ok);
      EXPECT_EQ(run.out, c.out);
      EXPECT_TRUE(SameBytes(run.file, image));
    }
  }
}

TEST(JobOutcome, FilesThatCannotBeOpened) {
  ScratchFile scratch;
  const std::string dir = scratch.path().substr(0, scratch.path().rfind('/'));
  for (const std::string& path : {scratch.path(), dir}) {
    const JobRun run = RunJobAt(path, 0x8);
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.out, "Couldn't open file for writing! : " + path + "\n");
  }
  const Bytes image = MakeRomImage(Lo(0x80000));
  ASSERT_TRUE(WriteWholeFile(scratch.path(), image));
  ASSERT_EQ(chmod(scratch.path().c_str(), 0444), 0);
  const JobRun run = RunJobAt(scratch.path(), 0x8);
  EXPECT_FALSE(run.ok);
  EXPECT_EQ(run.out,
            "The file is marked as \"Read-Only\"! : Make the file writable with \"chmod u+w\" "
            "and try again.\n");
  EXPECT_TRUE(SameBytes(ReadWholeFile(scratch.path()), image));
}

TEST(JobOutcome, FilesOf4GiBOrMoreAreRefused) {
  ScratchFile scratch;
  const Bytes image = MakeRomImage(Lo(0x80000));
  ASSERT_TRUE(WriteWholeFile(scratch.path(), image));
  // 0x100080000 would measure as 0x80000 in 32 bits, a valid 4 Mbit LoROM.
  for (const off_t length : {off_t{0x100000000}, off_t{0x100080000}}) {
    if (truncate(scratch.path().c_str(), length) != 0) GTEST_SKIP() << "no sparse 4 GiB file";
    for (const uint32_t code : {0x8u, 0x30u, 0x1040u, 0x10040u}) {
      SCOPED_TRACE(testing::Message() << std::hex << "length 0x" << length << " code 0x" << code);
      const JobRun run = RunJobAt(scratch.path(), code);
      EXPECT_FALSE(run.ok);
      EXPECT_EQ(run.out, kFailed);
      struct stat info;
      ASSERT_EQ(stat(scratch.path().c_str(), &info), 0);
      EXPECT_EQ(info.st_size, length);
      Bytes head(image.size());
      FILE* file = std::fopen(scratch.path().c_str(), "rb");
      ASSERT_NE(file, nullptr);
      EXPECT_EQ(std::fread(head.data(), 1, head.size(), file), head.size());
      std::fclose(file);
      EXPECT_TRUE(SameBytes(head, image));
    }
  }
}

TEST(JobOutcome, WritesThatFailAreFailuresAndKeepTheOldData) {
  // A file size limit makes every write past it fail (SIGXFSZ ignored: EFBIG instead).
  signal(SIGXFSZ, SIG_IGN);
  rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct Limited {
    RomSpec rom;
    uint32_t code, limit;  // file size limit, or 0 for 64 KiB past the old end
  } const cases[] = {
      {Lo(0x80000), 0x10, 0},
      {Lo(0x100000), 0x30, 0},
      {{.data_length = 0x100000, .copier_header = true}, 0x130, 0},
      {Hi(0x200000), 0x140, 0},
      {Lo(0x300000), 0x1040, 0},
      {Lo(0x300000, 0x23), 0x10040, 0},
      // Padded to 48 Mbit, but the copies that would carry the file on to 0x700000 fail.
      {Lo(0x300000), 0x1030, 0x680000},
  };
  for (const Limited& c : cases) {
    SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << c.code);
    const Bytes image = MakeRomImage(c.rom);
    rlimit low = saved;
    low.rlim_cur = c.limit != 0 ? c.limit : image.size() + 0x10000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &low), 0);
    JobRun run = RunJob(image, c.code);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &saved), 0);
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.out, kFailed);
    EXPECT_TRUE(SameBytes(run.file, image));
  }
}

TEST(JobOutcome, SizeResults) {
  struct Result {
    RomSpec rom;
    uint32_t code, result;
  } const cases[] = {
      {Lo(0x80000), 0x8, 8},      {Lo(0x80000), 0x0, 4},          {Lo(0x80000), 0x41, 0},
      {Lo(0x300000), 0x1030, 48}, {Hi(0x600000, 0x25), 0x40, 64}, {Lo(0x700000), 0x30, 56},
      {Hi(0x100000), 0x1040, 0},  {Lo(0x300000), 0x10040, 0},     {Lo(0x300000, 0x23), 0x10040, 64},
      {Lo(0x100000), 0x130, 48},
  };
  command_line_mode = true;
  for (const Result& c : cases) {
    SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << c.code);
    ScratchFile scratch;
    ASSERT_TRUE(WriteWholeFile(scratch.path(), MakeRomImage(c.rom)));
    ASSERT_TRUE(OpenRomFile(scratch.path().c_str(), RomAccess::kUpdate));
    testing::internal::CaptureStdout();
    EXPECT_EQ(ExpandRom(nullptr, c.code), c.result);
    testing::internal::GetCapturedStdout();
    CloseRomFile();
  }
}

}  // namespace

// The file primitives, the header probe and the message catalogue.
#include "rom_file.h"

#include <string>

#include "header_probe.h"
#include "job_harness.h"
#include "message_catalogue.h"
#include "notify.h"

namespace {

TEST(RomFile, HeaderBaseFollowsBit0x200OfTheLength) {
  const uint32_t cases[][3] = {
      {0x80200, 0x200, 0x80000}, {0x80000, 0, 0x80000},     {0x80400, 0, 0x80400},
      {0x80300, 0x200, 0x80100}, {0x7FFFF, 0x200, 0x7FDFF},
  };
  for (const auto& [length, base, data] : cases) {
    EXPECT_EQ(HeaderBase(length), base) << std::hex << length;
    EXPECT_EQ(RomDataLength(length), data) << std::hex << length;
  }
}

TEST(RomFile, Primitives) {
  CloseRomFile();
  EXPECT_FALSE(WriteZeroBytes(0, 16));  // nothing open
  EXPECT_EQ(ReadRomWord(0), 0u);

  ScratchFile scratch;
  ASSERT_TRUE(WriteWholeFile(scratch.path(), Bytes{0x34, 0x12, 0xAA, 0xBB, 0xCC}));
  ASSERT_TRUE(OpenRomFile(scratch.path().c_str(), RomAccess::kUpdate));
  EXPECT_EQ(RomFileLength(), 5u);
  EXPECT_EQ(ReadRomWord(0), 0x1234u);
  EXPECT_EQ(ReadRomWord(4), 0u);  // one byte short
  EXPECT_EQ(ReadRomWord(9), 0u);  // past the end
  EXPECT_FALSE(WriteZeroBytes(1, 0));
  EXPECT_EQ(RomFileLength(), 5u);
  EXPECT_TRUE(WriteZeroBytes(3, 0x25000));  // 64 KiB, 64 KiB and 20 KiB
  WriteRomByte(1, 0x56);
  EXPECT_EQ(RomFileLength(), 0x25003u);
  EXPECT_TRUE(RomWritesSettled());
  CloseRomFile();  // without a commit the file stays as it was
  EXPECT_TRUE(SameBytes(ReadWholeFile(scratch.path()), Bytes{0x34, 0x12, 0xAA, 0xBB, 0xCC}));

  ASSERT_TRUE(OpenRomFile(scratch.path().c_str(), RomAccess::kUpdate));
  EXPECT_FALSE(CommitRomFile());  // nothing written
  EXPECT_TRUE(WriteZeroBytes(3, 0x25000));  // 64 KiB, 64 KiB and 20 KiB
  WriteRomByte(1, 0x56);
  EXPECT_TRUE(CommitRomFile());
  CloseRomFile();
  Bytes want(0x25003, 0);
  want[0] = 0x34, want[1] = 0x56, want[2] = 0xAA;
  EXPECT_TRUE(SameBytes(ReadWholeFile(scratch.path()), want));
}

TEST(HeaderProbe, ChecksumPairAloneDecidesThePosition) {
  struct Probe {
    const char* name;
    RomSpec rom;
    std::vector<std::pair<uint32_t, std::string>> edits;
    bool found;
    uint8_t map, chipset;
  } const cases[] = {
      {"LoROM", {.data_length = 0x10000, .chipset = 0x35}, {}, true, 0x20, 0x35},
      {"HiROM",
       {.data_length = 0x10000, .header = HeaderAt::kHiRom, .map_mode = 0x31},
       {},
       true,
       0x31,
       0x00},
      {"both: LoROM wins",
       {.data_length = 0x10000, .header = HeaderAt::kBoth},
       {{0xFFD5, "\x21\x07"}},
       true,
       0x20,
       0x00},
      {"any complementary pair",
       {.data_length = 0x10000, .header = HeaderAt::kNeither},
       {{0x7FD5, "\x3A\x5C"}, {0x7FDC, "\x34\x12\xCB\xED"}},
       true,
       0x3A,
       0x5C},
      {"too short for 0xFFDE",
       {.data_length = 0x8000, .header = HeaderAt::kNeither},
       {},
       false,
       0xEE,
       0xEE},
  };
  command_line_mode = true;
  for (const Probe& c : cases) {
    for (const bool copier : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.name << (copier ? " with copier header" : ""));
      RomSpec source = c.rom;
      source.copier_header = copier;
      Bytes image = MakeRomImage(source);
      const uint32_t base = copier ? 0x200 : 0;
      for (const auto& [at, text] : c.edits) Poke(image, base + at, text);
      ScratchFile scratch;
      ASSERT_TRUE(WriteWholeFile(scratch.path(), image));
      ASSERT_TRUE(OpenRomFile(scratch.path().c_str(), RomAccess::kUpdate));
      uint8_t map = 0xEE, chipset = 0xEE;
      testing::internal::CaptureStdout();
      EXPECT_EQ(ProbeRomHeader(nullptr, &map, &chipset, base), c.found);
      EXPECT_EQ(testing::internal::GetCapturedStdout(), c.found ? "" : kMapUnknown);
      CloseRomFile();
      EXPECT_EQ(map, c.map);
      EXPECT_EQ(chipset, c.chipset);
    }
  }
}

TEST(MessageCatalogue, TitlesTextsAndIcons) {
  struct Entry {
    Message message;
    const char *title, *text;
    uint32_t icon;
  } const entries[] = {
      {Message::kCannotOpen, "Couldn't open file for writing!", nullptr, 0x30},
      {Message::kReadOnly, "The file is marked as \"Read-Only\"!",
       "Make the file writable with \"chmod u+w\" and try again.", 0x30},
      {Message::kUnknownMapType, "Expansion Canceled!", "Cannot determine ROM memory map type.",
       0x30},
      {Message::kNotSpecialChip, "Expansion Canceled!", "This is not an SA-1 or S-DD1 game!", 0x30},
      {Message::kNotLoRom, "Expansion Canceled!", "This is not a LoROM game!", 0x30},
      {Message::kLoRomTooLarge, "Expansion Canceled!",
       "Cannot convert LoROM games > 8 mbits to ExHiROM.", 0x30},
      {Message::kNotHiOrLoRom, "Expansion Canceled!",
       "Cannot convert a non-HiROM or non-LoROM game to ExHiROM.", 0x30},
      {Message::kFailed, "Failed!", "Operation failed.", 0x30},
      {Message::kNoEffect, "No Effect!", "The ROM was already this size or higher.", 0x00},
      {Message::kDone, "Done!", "ROM has been expanded.", 0x40},
  };
  for (const Entry& e : entries) {
    const MessageEntry& got = LookUpMessage(e.message);
    EXPECT_STREQ(got.title, e.title);
    if (e.text != nullptr) {
      EXPECT_STREQ(got.text, e.text);
    }
    EXPECT_EQ(got.icon, e.icon) << e.title;
  }
}

}  // namespace

// The ROM file chooser and GetOpenFileNameUtf8 against a stand-in for comdlg32's dialog, in
// both API modes and with both UTF-8 converters.
#include <gtest/gtest.h>
#include <windows.h>
// cderr.h and commdlg.h need windows.h first.
#include <cderr.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "chooser_messages.h"
#include "common_dialog_calls.h"
#include "conversion_buffers.h"
#include "expansion_job.h"
#include "open_file_name_utf8.h"
#include "rom_file_chooser.h"
#include "text_modes.h"
#include "ui_test_support.h"

namespace {

// What the stand-in dialog was given, as UTF-8, and what it answers (UTF-8, may hold inner
// terminators).
struct FakeDialog {
  std::vector<std::string> filter;
  std::string file;
  DWORD max_file = 0;
  DWORD flags = 0;
  std::string initial_dir;
  std::string default_extension;

  BOOL answer = TRUE;
  DWORD error = 0;
  std::string path;
  std::string custom_pair;
};
FakeDialog fake;

template <typename Unit>
std::string Text(const Unit* text) {
  std::basic_string<Unit> units;
  while (text != nullptr && text[units.size()] != 0) units += text[units.size()];
  if constexpr (sizeof(Unit) == 2) {
    return Utf8(units);
  } else {
    return AnsiToUtf8(units);
  }
}

// Writes `answer` and a terminator when they fit, as the platform does.
template <typename Unit>
bool Write(Unit* buffer, DWORD capacity, const std::string& answer) {
  std::basic_string<Unit> units;
  if constexpr (sizeof(Unit) == 2) {
    units = Wide(answer);
  } else {
    units = Utf8ToAnsi(answer);
  }
  if (buffer == nullptr || units.size() + 1 > capacity) return false;
  std::memcpy(buffer, units.c_str(), (units.size() + 1) * sizeof(Unit));
  return true;
}

template <typename Record>
BOOL WINAPI AnswerRequest(Record* request) {
  fake.filter.clear();
  for (auto entry = request->lpstrFilter; entry != nullptr && *entry != 0;) {
    fake.filter.push_back(Text(entry));
    while (*entry++ != 0) {
    }
  }
  fake.file = Text(request->lpstrFile);
  fake.max_file = request->nMaxFile;
  fake.flags = request->Flags;
  fake.initial_dir = Text(request->lpstrInitialDir);
  fake.default_extension = Text(request->lpstrDefExt);
  if (!fake.answer) return FALSE;
  if (!Write(request->lpstrFile, request->nMaxFile, fake.path)) {
    fake.error = FNERR_BUFFERTOOSMALL;
    return FALSE;
  }
  if (!fake.custom_pair.empty()) {
    Write(request->lpstrCustomFilter, request->nMaxCustFilter, fake.custom_pair);
  }
  return TRUE;
}

DWORD WINAPI FakeError() {
  return fake.error;
}

struct Modes {
  uint8_t wide_api;
  uint8_t utf8_code_page;
};

class ChooserTest : public ::testing::TestWithParam<Modes> {
 protected:
  void SetUp() override {
    saved_modes_ = {wide_api_mode, utf8_code_page_valid};
    wide_api_mode = GetParam().wide_api;
    utf8_code_page_valid = GetParam().utf8_code_page;
    saved_calls_ = common_dialog_calls;
    common_dialog_calls = {true, AnswerRequest<OPENFILENAMEW>, AnswerRequest<OPENFILENAMEA>,
                           FakeError};
    fake = FakeDialog{};
  }

  void TearDown() override {
    common_dialog_calls = saved_calls_;
    wide_api_mode = saved_modes_.wide_api;
    utf8_code_page_valid = saved_modes_.utf8_code_page;
    EXPECT_FALSE(wide_buffer_in_use || wide_ansi_buffer_in_use || utf8_buffer_in_use ||
                 ansi_buffer_in_use);
  }

  // A request as ChooseRomFile makes it, on `file` of `capacity` bytes.
  static OPENFILENAMEA Request(char* file, DWORD capacity) {
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof request;
    request.lpstrFilter = kRomFileFilter;
    request.lpstrFile = file;
    request.nMaxFile = capacity;
    request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
    return request;
  }

  MessageBoxRecorder boxes_;

 private:
  Modes saved_modes_{};
  CommonDialogCalls saved_calls_{};
};

TEST_P(ChooserTest, OffersTheRequestAndReturnsTheChosenPath) {
  std::strcpy(rom_path, "C:\\old\\last.smc");
  fake.path = "C:\\roms\\game.sfc";
  EXPECT_EQ(ChooseRomFile(nullptr, rom_path, kRomFileFilter, "smc"), 13u << 16 | 8u);
  EXPECT_STREQ(rom_path, "C:\\roms\\game.sfc");

  const std::vector<std::string> filter = {"SNES ROM Image Files (*.smc,*.sfc)", "*.smc;*.sfc",
                                           "All Files (*.*)", "*.*"};
  EXPECT_EQ(fake.filter, filter);
  EXPECT_EQ(fake.file, "C:\\old\\last.smc");
  EXPECT_EQ(fake.max_file, 8192u);
  EXPECT_EQ(fake.flags, 0x81004u);
  EXPECT_EQ(fake.default_extension, "smc");
  wchar_t directory[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, directory);
  EXPECT_EQ(fake.initial_dir, Utf8(directory));
}

TEST_P(ChooserTest, CancelLeavesThePathAsItWas) {
  std::strcpy(rom_path, "C:\\old\\last.smc");
  fake.answer = FALSE;
  EXPECT_EQ(ChooseRomFile(nullptr, rom_path, kRomFileFilter, "smc"), 0u);
  EXPECT_STREQ(rom_path, "C:\\old\\last.smc");
  EXPECT_TRUE(boxes_.Take().empty());
}

TEST_P(ChooserTest, OffsetsCountBytesOfInternalText) {
  struct Case {
    const char* path;
    WORD file_offset;
    WORD file_extension;
  };
  for (const Case& c :
       {Case{"C:\\roms\\game.sfc", 8, 13}, Case{"C:\\roms.old\\game", 12, 16},
        Case{"C:\\roms\\game.", 8, 13}, Case{"C:\\\xC3\xA4\\x.smc", 6, 8}, Case{"game", 0, 4}}) {
    char file[64] = "";
    OPENFILENAMEA request = Request(file, sizeof file);
    fake.path = c.path;
    EXPECT_NE(GetOpenFileNameUtf8(&request), 0u) << c.path;
    EXPECT_STREQ(file, c.path);
    EXPECT_EQ(request.nFileOffset, c.file_offset) << c.path;
    EXPECT_EQ(request.nFileExtension, c.file_extension) << c.path;
  }
}

// The capacity of 8192 bytes reaches the platform as 8192 units; the euro sign is one unit
// there (0x80 in the ANSI code page) and three bytes of UTF-8.
std::string Euros(size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) text += "\xE2\x82\xAC";
  return text;
}

TEST_P(ChooserTest, PathTooLongForInternalTextIsCut) {
  fake.path = Euros(3000);
  OPENFILENAMEA request = Request(rom_path, kRomPathCapacity);
  EXPECT_EQ(GetOpenFileNameUtf8(&request), 0u);
  EXPECT_EQ(std::string(rom_path, 8191), fake.path.substr(0, 8191));
  EXPECT_EQ(rom_path[8191], '\0');
}

TEST_P(ChooserTest, CutCustomFilterStillSucceeds) {
  char custom[16] = "a\0b";
  char file[64] = "";
  OPENFILENAMEA request = Request(file, sizeof file);
  request.lpstrCustomFilter = custom;
  request.nMaxCustFilter = sizeof custom;
  fake.path = "C:\\x.smc";
  fake.custom_pair = Euros(3) + std::string(1, '\0') + "*." + Euros(3);
  EXPECT_NE(GetOpenFileNameUtf8(&request), 0u);
  EXPECT_EQ(std::string(custom, 15), fake.custom_pair.substr(0, 15));
  EXPECT_EQ(custom[15], '\0');
}

TEST_P(ChooserTest, ReportsEachFailureOnce) {
  if (!WindowsAvailable()) GTEST_SKIP() << "no display for message boxes";
  using Shown = std::vector<ShownMessage>;
  for (const auto& [error, text] :
       {std::pair<DWORD, const char*>{FNERR_BUFFERTOOSMALL, kPathTooLongText},
        {CDERR_MEMALLOCFAILURE, "Error Code 9"},
        {FNERR_INVALIDFILENAME, "Error Code 3002"}}) {
    fake.answer = FALSE;
    fake.error = error;
    EXPECT_EQ(ChooseRomFile(nullptr, rom_path, kRomFileFilter, "smc"), 0u);
    EXPECT_EQ(boxes_.Take(), (Shown{{kCommonControlErrorTitle, text}}));
  }
  // Cut by GetOpenFileNameUtf8, which tells the user; the platform saw no error.
  fake = FakeDialog{};
  fake.path = Euros(3000);
  EXPECT_EQ(ChooseRomFile(nullptr, rom_path, kRomFileFilter, "smc"), 0u);
  EXPECT_EQ(boxes_.Take(), (Shown{{kCommonControlErrorTitle, kPathTooLongText}}));
}

INSTANTIATE_TEST_SUITE_P(Modes, ChooserTest,
                         ::testing::Values(Modes{1, 1}, Modes{1, 0}, Modes{0, 1}),
                         [](const auto& info) {
                           return std::string(info.param.wide_api ? "Wide" : "Narrow") +
                                  (info.param.utf8_code_page ? "" : "OwnCodec");
                         });

}  // namespace

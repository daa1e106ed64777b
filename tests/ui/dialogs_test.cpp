// The dialog front end in-process: the main dialog and the About box from the program's own
// templates in both API forms, the target buttons' size codes, the small icon's size, message
// boxes, and the ROM file chooser against a stand-in for comdlg32's dialog.
#include <gtest/gtest.h>
#include <windows.h>
// cderr.h and commdlg.h need windows.h first.
#include <cderr.h>

#include <cstring>
#include <string>
#include <vector>

#include "about_box.h"
#include "about_texts.h"
#include "chooser_messages.h"
#include "common_dialog_calls.h"
#include "conversion_buffers.h"
#include "dialog_icons.h"
#include "expansion_job.h"
#include "instance_handle.h"
#include "main_dialog.h"
#include "notify.h"
#include "open_file_name_utf8.h"
#include "resource_ids.h"
#include "rom_file_chooser.h"
#include "target_buttons.h"
#include "text_modes.h"

namespace {

std::wstring Wide(const std::string& text, UINT code_page = CP_UTF8) {
  std::wstring out(text.size(), L'\0');
  out.resize(MultiByteToWideChar(code_page, 0, text.data(), int(text.size()), out.data(),
                                 int(out.size())));
  return out;
}
std::string Narrow(const std::wstring& text, UINT code_page = CP_UTF8) {
  std::string out(text.size() * 4, '\0');
  out.resize(WideCharToMultiByte(code_page, 0, text.data(), int(text.size()), out.data(),
                                 int(out.size()), nullptr, nullptr));
  return out;
}
std::string TextOf(HWND window) {
  wchar_t text[1024] = L"";
  GetWindowTextW(window, text, 1024);
  return Narrow(text);
}

// Message boxes this thread opens, recorded and taken down before they show: showing a window
// costs Wine seconds on a screen without a window manager.
std::vector<std::string> boxes;
LRESULT CALLBACK RecordBox(int code, WPARAM w_param, LPARAM l_param) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(l_param);
  wchar_t kind[8] = L"";
  if (code == HC_ACTION && call->message == WM_INITDIALOG && GetClassNameW(call->hwnd, kind, 8) &&
      std::wstring(kind) == L"#32770" && GetDlgItem(call->hwnd, 0xFFFF) != nullptr) {
    // The text is static control 0xFFFF; the icon a shared system icon in an SS_ICON, or none.
    HICON icon = nullptr;
    for (HWND child = GetWindow(call->hwnd, GW_CHILD); child;
         child = GetWindow(child, GW_HWNDNEXT)) {
      if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
          GetClassNameW(child, kind, 8) && std::wstring(kind) == L"Static")
        icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    }
    const char* icon_name = icon == nullptr                               ? "none"
                            : icon == LoadIconA(nullptr, IDI_INFORMATION) ? "information"
                            : icon == LoadIconA(nullptr, IDI_WARNING)     ? "warning"
                                                                          : "other";
    boxes.push_back(TextOf(call->hwnd) + " / " + TextOf(GetDlgItem(call->hwnd, 0xFFFF)) + " / " +
                    icon_name);
    DestroyWindow(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, w_param, l_param);
}

class Dialogs : public testing::TestWithParam<uint8_t> {
 protected:
  void SetUp() override {
    wide_api_mode = GetParam();
    instance_handle = GetModuleHandleW(nullptr);
    hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, RecordBox, nullptr, GetCurrentThreadId());
    boxes.clear();
  }
  void TearDown() override {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
    UnhookWindowsHookEx(hook_);
    wide_api_mode = 0;
  }
  // The program's template `id` without WS_VISIBLE (its style sits 12 bytes in).
  HWND Create(int id, DLGPROC procedure) {
    const HRSRC found = FindResourceA(instance_handle, MAKEINTRESOURCEA(id), RT_DIALOG);
    std::vector<DWORD> copy((SizeofResource(instance_handle, found) + 3) / 4);
    std::memcpy(copy.data(), LockResource(LoadResource(instance_handle, found)),
                SizeofResource(instance_handle, found));
    copy[3] &= ~WS_VISIBLE;
    const auto* hidden = reinterpret_cast<const DLGTEMPLATE*>(copy.data());
    dialog_ = wide_api_mode
                  ? CreateDialogIndirectParamW(instance_handle, hidden, nullptr, procedure, 0)
                  : CreateDialogIndirectParamA(instance_handle, hidden, nullptr, procedure, 0);
    return dialog_;
  }
  std::string Item(int id) const { return TextOf(GetDlgItem(dialog_, id)); }
  HWND dialog_ = nullptr;
  HHOOK hook_ = nullptr;
};
INSTANTIATE_TEST_SUITE_P(, Dialogs, testing::Values(1, 0),
                         [](const auto& info) { return info.param ? "Wide" : "Narrow"; });

TEST_P(Dialogs, MainDialogStartsOn48MbitExHiRomAndKeepsOneTargetChecked) {
  const HWND dialog = Create(IDD_MAIN, MainDlgProc);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(CollectSizeCode(dialog), 0x30u);
  EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), 0);
  // The footnote marks are superscript digits, whatever the resource compiler made of them.
  EXPECT_EQ(Item(IDC_EXLOROM_48_1), "48 Mbit ExLoROM (6 MB) \u00B9 ");
  EXPECT_EQ(Item(IDC_EXHIROM_48_MIRRORED), "48c Mbit ExHiROM (6 MB) \u00B3 ");
  EXPECT_EQ(Item(IDC_NOTE_LOW_MAP).substr(0, 6), "\u00B9 For");
  for (const auto& [id, size_code] :
       {std::pair<int, uint32_t>{IDC_SPECIAL_CHIP_64, 0x10040}, {IDC_PLAIN_1, 0x01}}) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    int checked = 0;
    for (int other = IDC_TARGET_FIRST; other <= IDC_TARGET_LAST; ++other)
      checked += IsDlgButtonChecked(dialog, other) == BST_CHECKED;
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(CollectSizeCode(dialog), size_code);
  }
}

// Plain radio buttons keep every check they are given, so checks no click makes can be set.
TEST_P(Dialogs, CheckedButtonsGiveTheSizeCode) {
  const HWND dialog = Create(IDD_MAIN, MainDlgProc);
  ASSERT_NE(dialog, nullptr);
  const uint32_t codes[] = {0x1,    0x2,    0x4,    0x8,    0xC,     0x10,   0x14,   0x18,
                            0x1C,   0x20,   0x30,   0x130,  0x40,    0x140,  0x1030, 0x2030,
                            0x4030, 0x1040, 0x2040, 0x4040, 0x10030, 0x10040};
  std::vector<std::pair<std::vector<int>, uint32_t>> cases = {
      {{}, 0},
      {{IDC_EXHIROM_48, IDC_EXLOROM_48_2}, 0x2030},
      {{IDC_SPECIAL_CHIP_64, IDC_PLAIN_1}, 0x10040}};
  for (int id = IDC_TARGET_FIRST; id <= IDC_TARGET_LAST; ++id) {
    SendMessageW(GetDlgItem(dialog, id), BM_SETSTYLE, BS_RADIOBUTTON, FALSE);
    cases.push_back({{id}, codes[id - IDC_TARGET_FIRST]});
  }
  for (const auto& [checked, size_code] : cases) {
    for (int id = IDC_TARGET_FIRST; id <= IDC_TARGET_LAST; ++id)
      CheckDlgButton(dialog, id, BST_UNCHECKED);
    for (const int id : checked) CheckDlgButton(dialog, id, BST_CHECKED);
    EXPECT_EQ(CollectSizeCode(dialog), size_code)
        << checked.size() << " checked, the first " << (checked.empty() ? 0 : checked[0]);
  }
}

TEST_P(Dialogs, AboutBoxShowsItsTexts) {
  ASSERT_NE(Create(IDD_ABOUT, AboutDlgProc), nullptr);
  EXPECT_EQ(Item(IDC_DISCLAIMER), kDisclaimer);
  EXPECT_EQ(Item(IDC_COPYRIGHT), "Copyright (C) 2026 The Romspan developers");
  EXPECT_EQ(Item(IDC_WEBSITE), kWebAddress);
  EXPECT_EQ(Item(IDC_VERSION), "Version 1.20");
  EXPECT_EQ(Item(IDC_BUILD), "Public Build x64 --- Jul  1 2022");
  EXPECT_EQ(Item(IDC_ABOUT_SPARE), "");
}

TEST_P(Dialogs, OutcomesShowTheirIcons) {
  command_line_mode = false;
  std::strcpy(rom_path, "C:\\x.smc");
  for (const Message message :
       {Message::kDone, Message::kNoEffect, Message::kFailed, Message::kCannotOpen})
    Notify(nullptr, message);
  EXPECT_EQ(boxes, (std::vector<std::string>{
                       "Done! / ROM has been expanded. / information",
                       "No Effect! / The ROM was already this size or higher. / none",
                       "Failed! / Operation failed. / warning",
                       "Couldn't open file for writing! / C:\\x.smc / warning"}));
}

// Only sizes icon 1 holds, so nothing is blown up; the height follows the width.
TEST(SmallIcon, PicksAnImageOfIconOne) {
  const int cases[][4] = {{16, 16, 16, 16},   {20, 20, 20, 20}, {22, 22, 22, 22},
                          {24, 24, 24, 24},   {26, 26, 26, 26}, {32, 32, 32, 32},
                          {48, 48, 48, 48},   {28, 28, 16, 16}, {36, 36, 256, 256},
                          {40, 40, 256, 256}, {30, 20, 16, 16}, {20, 30, 20, 30}};
  for (const auto& [metric_width, metric_height, width, height] : cases) {
    int w = metric_width, h = metric_height;
    FitSmallIconSize(&w, &h);
    EXPECT_EQ(std::pair(w, h), std::pair(width, height)) << metric_width << "x" << metric_height;
  }
}

// What the stand-in dialog was given, as UTF-8, and what it answers.
struct FakeDialog {
  std::vector<std::string> filter = {};
  std::string file = "", initial_dir = "", default_extension = "";
  DWORD max_file = 0, flags = 0;
  BOOL answer = TRUE;
  DWORD error = 0;
  std::string path = "", custom_pair = "";
} fake;

template <typename Unit>
std::string Text(const Unit* text) {
  if (text == nullptr) return "";
  if constexpr (sizeof(Unit) == 2) {
    return Narrow(text);
  } else {
    return Narrow(Wide(text, CP_ACP));
  }
}

template <typename Unit>
bool Answer(Unit* buffer, DWORD capacity, const std::string& answer) {  // as the platform does
  std::basic_string<Unit> units;
  if constexpr (sizeof(Unit) == 2) {
    units = Wide(answer);
  } else {
    units = Narrow(Wide(answer), CP_ACP);
  }
  if (buffer == nullptr || units.size() + 1 > capacity) return false;
  std::memcpy(buffer, units.c_str(), (units.size() + 1) * sizeof(Unit));
  return true;
}

template <typename Record>
BOOL WINAPI FakeOpen(Record* request) {
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
  if (!Answer(request->lpstrFile, request->nMaxFile, fake.path)) {
    fake.error = FNERR_BUFFERTOOSMALL;
    return FALSE;
  }
  if (!fake.custom_pair.empty())
    Answer(request->lpstrCustomFilter, request->nMaxCustFilter, fake.custom_pair);
  return TRUE;
}
DWORD WINAPI FakeError() {
  return fake.error;
}

// The capacity of 8192 bytes reaches the platform as 8192 units; a euro sign is one unit there
// (0x80 in the ANSI code page) and three bytes of internal text.
std::string Euros(size_t count) {
  std::string text;
  while (count-- > 0) text += "\xE2\x82\xAC";
  return text;
}

class Chooser : public Dialogs {
 protected:
  void SetUp() override {
    Dialogs::SetUp();
    utf8_code_page_valid = GetParam() == 2 ? 0 : 1;  // 2: wide API, own codec
    wide_api_mode = GetParam() != 0;
    saved_ = common_dialog_calls;
    common_dialog_calls = {true, FakeOpen<OPENFILENAMEW>, FakeOpen<OPENFILENAMEA>, FakeError};
    fake = FakeDialog{};
  }
  void TearDown() override {
    common_dialog_calls = saved_;
    utf8_code_page_valid = 0;
    EXPECT_FALSE(wide_buffer_in_use || wide_ansi_buffer_in_use || utf8_buffer_in_use ||
                 ansi_buffer_in_use);
    Dialogs::TearDown();
  }
  CommonDialogCalls saved_{};
};
INSTANTIATE_TEST_SUITE_P(, Chooser, testing::Values(1, 2, 0), [](const auto& info) {
  return info.param == 0 ? "Narrow" : info.param == 1 ? "Wide" : "WideOwnCodec";
});

TEST_P(Chooser, OffersTheRequestAndReturnsTheChosenPath) {
  std::strcpy(rom_path, "C:\\old\\last.smc");
  fake.path = "C:\\roms\\game.sfc";
  EXPECT_EQ(ChooseRomFile(nullptr, rom_path, kRomFileFilter, "smc"), 13u << 16 | 8u);
  EXPECT_STREQ(rom_path, "C:\\roms\\game.sfc");
  EXPECT_EQ(fake.filter, (std::vector<std::string>{"SNES ROM Image Files (*.smc,*.sfc)",
                                                   "*.smc;*.sfc", "All Files (*.*)", "*.*"}));
  EXPECT_EQ(fake.file, "C:\\old\\last.smc");
  EXPECT_EQ(std::pair(fake.max_file, fake.flags), std::pair(DWORD{8192}, DWORD{0x81004}));
  EXPECT_EQ(fake.default_extension, "smc");
  wchar_t directory[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, directory);
  EXPECT_EQ(fake.initial_dir, Narrow(directory));
  fake.answer = FALSE;  // a cancel
  EXPECT_EQ(ChooseRomFile(nullptr, rom_path, kRomFileFilter, "smc"), 0u);
  EXPECT_STREQ(rom_path, "C:\\roms\\game.sfc");
  EXPECT_TRUE(boxes.empty());
  // With no target checked "Apply to ROM..." asks for nothing.
  fake = FakeDialog{};
  const HWND dialog = Create(IDD_MAIN, MainDlgProc);
  for (int id = IDC_TARGET_FIRST; id <= IDC_TARGET_LAST; ++id)
    CheckDlgButton(dialog, id, BST_UNCHECKED);
  SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(fake.max_file, 0u);
}

// Offsets count bytes of internal text; a path too long for it is cut and reported, a cut custom
// filter is not.
TEST_P(Chooser, OffsetsAndCuts) {
  const std::tuple<const char*, WORD, WORD> cases[] = {{"C:\\roms.old\\game", 12, 16},
                                                       {"C:\\roms\\game.", 8, 13},
                                                       {"C:\\\xC3\xA4\\x.smc", 6, 8},
                                                       {"game", 0, 4}};
  for (const auto& [path, file_offset, extension] : cases) {
    char file[64] = "", custom[16] = "a\0b";
    OPENFILENAMEA request = {};
    request.lStructSize = sizeof request;
    request.lpstrFilter = kRomFileFilter;
    request.lpstrFile = file;
    request.nMaxFile = sizeof file;
    request.lpstrCustomFilter = custom;
    request.nMaxCustFilter = sizeof custom;
    fake.path = path;
    fake.custom_pair = Euros(3) + std::string(1, '\0') + "*." + Euros(3);
    EXPECT_NE(GetOpenFileNameUtf8(&request), 0u) << path;
    EXPECT_STREQ(file, path);
    EXPECT_EQ(std::pair(request.nFileOffset, request.nFileExtension),
              std::pair(file_offset, extension))
        << path;
    EXPECT_EQ(std::string(custom, 16), fake.custom_pair.substr(0, 15) + '\0');
  }
  fake = FakeDialog{.path = Euros(3000)};
  EXPECT_EQ(ChooseRomFile(nullptr, rom_path, kRomFileFilter, "smc"), 0u);
  EXPECT_EQ(std::string(rom_path, 8192), fake.path.substr(0, 8191) + '\0');
  EXPECT_EQ(boxes, std::vector<std::string>{
                       "Common Control Error! / Path/file name is too long! / information"});
}

TEST_P(Chooser, ReportsEachFailureOnce) {
  for (const auto& [error, text] :
       {std::pair<DWORD, std::string>{FNERR_BUFFERTOOSMALL, kPathTooLongText},
        {CDERR_MEMALLOCFAILURE, "Error Code 9"},
        {FNERR_INVALIDFILENAME, "Error Code 3002"}}) {
    fake = FakeDialog{.answer = FALSE, .error = error};
    boxes.clear();
    EXPECT_EQ(ChooseRomFile(nullptr, rom_path, kRomFileFilter, "smc"), 0u);
    EXPECT_EQ(boxes,
              std::vector<std::string>{"Common Control Error! / " + text + " / information"});
  }
}

}  // namespace

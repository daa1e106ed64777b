// What the dialog tests under Wine cannot make happen: check marks no click makes, the message
// boxes' icons, the small icon's size at other DPIs, and the ROM file chooser's failures, made
// by a stand-in for comdlg32's dialog. romspan.exe is an x64 program: it always takes the wide
// calls and the platform's UTF-8 converter, and so do these tests.
#include <gtest/gtest.h>
#include <windows.h>
// cderr.h and commdlg.h need windows.h first.
#include <cderr.h>

#include <cstring>
#include <string>
#include <vector>

#include "common_dialog_calls.h"
#include "dialog_icons.h"
#include "expansion_job.h"
#include "instance_handle.h"
#include "main_dialog.h"
#include "notify.h"
#include "resource_ids.h"
#include "rom_file_chooser.h"
#include "target_buttons.h"
#include "text_modes.h"

namespace {

std::string Utf8(const wchar_t* text) {
  std::string out(std::wcslen(text) * 3, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, text, int(std::wcslen(text)), out.data(),
                                 int(out.size()), nullptr, nullptr));
  return out;
}
std::string TextOf(HWND window) {
  wchar_t text[1024] = L"";
  GetWindowTextW(window, text, 1024);
  return Utf8(text);
}

// Message boxes this thread opens, recorded and taken down before they show: showing a window
// costs Wine seconds on a screen without a window manager. The text is static control 0xFFFF,
// the icon a shared system icon in an SS_ICON static, or none.
std::vector<std::string> boxes;
LRESULT CALLBACK RecordBox(int code, WPARAM w_param, LPARAM l_param) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(l_param);
  if (code == HC_ACTION && call->message == WM_INITDIALOG && GetDlgItem(call->hwnd, 0xFFFF)) {
    HICON icon = nullptr;
    for (HWND child = GetWindow(call->hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        icon = HICON(SendMessageW(child, STM_GETICON, 0, 0));
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

// What the stand-in open-file dialog saw, and what it answers.
HWND asked_owner = nullptr;
std::wstring answer;
DWORD error = 0;
BOOL WINAPI FakeOpen(OPENFILENAMEW* request) {
  asked_owner = request->hwndOwner;
  if (answer.size() + 1 > request->nMaxFile) error = FNERR_BUFFERTOOSMALL;  // as the platform does
  if (error != 0) return FALSE;
  std::copy_n(answer.c_str(), answer.size() + 1, request->lpstrFile);
  return TRUE;
}

class Dialogs : public testing::Test {
 protected:
  void SetUp() override {
    wide_api_mode = utf8_code_page_valid = 1;
    instance_handle = GetModuleHandleW(nullptr);
    hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, RecordBox, nullptr, GetCurrentThreadId());
    saved_ = common_dialog_calls;
    common_dialog_calls = {true, FakeOpen, nullptr, [] { return error; }};
    boxes.clear();
    asked_owner = nullptr;
    answer.clear();
    error = 0;
    // The program's main dialog, hidden: its template's style sits 12 bytes in.
    const HRSRC found = FindResourceA(instance_handle, MAKEINTRESOURCEA(IDD_MAIN), RT_DIALOG);
    std::vector<DWORD> copy((SizeofResource(instance_handle, found) + 3) / 4);
    std::memcpy(copy.data(), LockResource(LoadResource(instance_handle, found)),
                SizeofResource(instance_handle, found));
    copy[3] &= ~WS_VISIBLE;
    dialog_ = CreateDialogIndirectParamW(
        instance_handle, reinterpret_cast<DLGTEMPLATE*>(copy.data()), nullptr, MainDlgProc, 0);
    ASSERT_NE(dialog_, nullptr);
  }
  void TearDown() override {
    DestroyWindow(dialog_);
    common_dialog_calls = saved_;
    UnhookWindowsHookEx(hook_);
  }
  HWND dialog_ = nullptr;
  HHOOK hook_ = nullptr;
  CommonDialogCalls saved_ = {};
};

// Plain radio buttons keep every check they are given: the highest checked target wins, 64 Mbit
// SA-1/S-DD1 over all, and with none "Apply to ROM..." asks for nothing.
TEST_F(Dialogs, CheckedButtonsGiveTheSizeCode) {
  EXPECT_NE(SendMessageW(dialog_, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_NE(SendMessageW(dialog_, WM_GETICON, ICON_BIG, 0), 0);
  const uint32_t codes[] = {0x1,    0x2,    0x4,    0x8,    0xC,     0x10,   0x14,   0x18,
                            0x1C,   0x20,   0x30,   0x130,  0x40,    0x140,  0x1030, 0x2030,
                            0x4030, 0x1040, 0x2040, 0x4040, 0x10030, 0x10040};
  std::vector<std::pair<std::vector<int>, uint32_t>> cases = {
      {{IDC_EXHIROM_48, IDC_EXLOROM_48_2}, 0x2030},
      {{IDC_SPECIAL_CHIP_64, IDC_PLAIN_1}, 0x10040},
      {{}, 0}};
  for (int id = IDC_TARGET_FIRST; id <= IDC_TARGET_LAST; ++id) {
    SendMessageW(GetDlgItem(dialog_, id), BM_SETSTYLE, BS_RADIOBUTTON, FALSE);
    cases.insert(cases.begin(), {{id}, codes[id - IDC_TARGET_FIRST]});
  }
  for (const auto& [checked, size_code] : cases) {
    for (int id = IDC_TARGET_FIRST; id <= IDC_TARGET_LAST; ++id)
      CheckDlgButton(dialog_, id,
                     std::count(checked.begin(), checked.end(), id) ? BST_CHECKED : BST_UNCHECKED);
    EXPECT_EQ(CollectSizeCode(dialog_), size_code)
        << checked.size() << " checked, from " << (checked.empty() ? 0 : checked[0]);
  }
  SendMessageW(dialog_, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(asked_owner, nullptr);
}

TEST_F(Dialogs, OutcomesShowTheirIcons) {
  command_line_mode = false;
  std::strcpy(rom_path, "C:\\x.smc");
  for (const Message message :
       {Message::kDone, Message::kNoEffect, Message::kFailed, Message::kCannotOpen})
    Notify(dialog_, message);
  EXPECT_EQ(boxes, (std::vector<std::string>{
                       "Done! / ROM has been expanded. / information",
                       "No Effect! / The ROM was already this size or higher. / none",
                       "Failed! / Operation failed. / warning",
                       "Couldn't open file for writing! / C:\\x.smc / warning"}));
}

// Each failure of the open-file dialog is told once; a path too long for the ROM path buffer
// (8191 bytes) in UTF-8, though it fits the dialog's 8192 units, is cut and told.
TEST_F(Dialogs, ChooserReportsEachFailureOnce) {
  for (const auto& [code, text] :
       {std::pair<DWORD, std::string>{FNERR_BUFFERTOOSMALL, "Path/file name is too long!"},
        {CDERR_MEMALLOCFAILURE, "Error Code 9"},
        {FNERR_INVALIDFILENAME, "Error Code 3002"}}) {
    error = code;
    boxes.clear();
    EXPECT_EQ(ChooseRomFile(dialog_, rom_path, kRomFileFilter, "smc"), 0u);
    EXPECT_EQ(asked_owner, dialog_);
    EXPECT_EQ(boxes,
              std::vector<std::string>{"Common Control Error! / " + text + " / information"});
  }
  error = 0;
  boxes.clear();
  answer = std::wstring(3000, L'\x20AC');  // three bytes each in UTF-8
  EXPECT_EQ(ChooseRomFile(dialog_, rom_path, kRomFileFilter, "smc"), 0u);
  std::string euros;
  for (int i = 0; i < 3000; ++i) euros += "\xE2\x82\xAC";
  EXPECT_EQ(std::string(rom_path, 8192), euros.substr(0, 8191) + '\0');
  EXPECT_EQ(boxes, std::vector<std::string>{
                       "Common Control Error! / Path/file name is too long! / information"});
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

}  // namespace

// The main dialog and the About box from the program's own templates, created hidden.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "about_box.h"
#include "about_texts.h"
#include "instance_handle.h"
#include "main_dialog.h"
#include "resource_ids.h"
#include "target_buttons.h"
#include "text_modes.h"
#include "ui_test_support.h"

namespace {

constexpr size_t kStyleOffset = 12;  // DLGTEMPLATEEX: version, signature, help id, ex-style

// Template `id` of this program without WS_VISIBLE.
std::vector<DWORD> HiddenTemplate(int id) {
  const HRSRC found = FindResourceA(instance_handle, MAKEINTRESOURCEA(id), RT_DIALOG);
  const void* data = LockResource(LoadResource(instance_handle, found));
  // DWORDs: dialog templates must be DWORD-aligned.
  std::vector<DWORD> copy((SizeofResource(instance_handle, found) + 3) / 4);
  std::memcpy(copy.data(), data, SizeofResource(instance_handle, found));
  copy[kStyleOffset / 4] &= ~WS_VISIBLE;
  return copy;
}

class DialogTest : public ::testing::TestWithParam<uint8_t> {
 protected:
  void SetUp() override {
    if (!WindowsAvailable()) GTEST_SKIP() << "no display for dialogs";
    saved_mode_ = wide_api_mode;
    wide_api_mode = GetParam();
    instance_handle = GetModuleHandleW(nullptr);
  }

  void TearDown() override {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
    wide_api_mode = saved_mode_;
  }

  HWND Create(int id, DLGPROC procedure) {
    const std::vector<DWORD> hidden = HiddenTemplate(id);
    const auto* dialog_template = reinterpret_cast<const DLGTEMPLATE*>(hidden.data());
    dialog_ =
        wide_api_mode
            ? CreateDialogIndirectParamW(instance_handle, dialog_template, nullptr, procedure, 0)
            : CreateDialogIndirectParamA(instance_handle, dialog_template, nullptr, procedure, 0);
    return dialog_;
  }

  std::string ItemText(int id) const {
    wchar_t text[512] = L"";
    GetDlgItemTextW(dialog_, id, text, 512);
    return Utf8(text);
  }

  HWND dialog_ = nullptr;

 private:
  uint8_t saved_mode_ = 0;
};

TEST_P(DialogTest, MainDialogStartsOn48MbitExHiRom) {
  const HWND dialog = Create(IDD_MAIN, MainDlgProc);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(CollectSizeCode(dialog), 0x30u);
  EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_SMALL, 0), 0);
  EXPECT_NE(SendMessageW(dialog, WM_GETICON, ICON_BIG, 0), 0);
  // The footnote marks are the superscript digits, whatever the resource compiler made of them.
  EXPECT_EQ(ItemText(IDC_EXLOROM_48_1), "48 Mbit ExLoROM (6 MB) \u00B9 ");
  EXPECT_EQ(ItemText(IDC_EXLOROM_64_2), "64 Mbit ExLoROM (8 MB) \u00B2 ");
  EXPECT_EQ(ItemText(IDC_EXHIROM_48_MIRRORED), "48c Mbit ExHiROM (6 MB) \u00B3 ");
  EXPECT_EQ(ItemText(IDC_NOTE_LOW_MAP).substr(0, 6), "\u00B9 For");
  // One automatic group across both columns: a click leaves exactly one target checked.
  for (const auto& [id, size_code] :
       {std::pair<int, uint32_t>{IDC_SPECIAL_CHIP_64, 0x10040}, {IDC_PLAIN_1, 0x01}}) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
    int checked = 0;
    for (int other = IDC_TARGET_FIRST; other <= IDC_TARGET_LAST; ++other) {
      checked += IsDlgButtonChecked(dialog, other) == BST_CHECKED;
    }
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(CollectSizeCode(dialog), size_code);
  }
}

TEST_P(DialogTest, CheckedButtonsGiveTheSizeCode) {
  const HWND dialog = Create(IDD_MAIN, MainDlgProc);
  ASSERT_NE(dialog, nullptr);
  // Plain radio buttons keep every check they are given: automatic ones clear the others.
  for (int id = IDC_TARGET_FIRST; id <= IDC_TARGET_LAST; ++id) {
    SendMessageW(GetDlgItem(dialog, id), BM_SETSTYLE, BS_RADIOBUTTON, FALSE);
  }
  struct Case {
    std::vector<int> checked;
    uint32_t size_code;
  };
  for (const Case& c : {Case{{}, 0}, Case{{IDC_PLAIN_1}, 0x01}, Case{{IDC_PLAIN_12}, 0x0C},
                        Case{{IDC_EXHIROM_48_MIRRORED}, 0x130}, Case{{IDC_EXLOROM_48_3}, 0x4030},
                        Case{{IDC_SPECIAL_CHIP_48}, 0x10030},
                        // States only code outside the dialog manager makes.
                        Case{{IDC_EXHIROM_48, IDC_EXLOROM_48_2}, 0x2030},
                        Case{{IDC_SPECIAL_CHIP_64, IDC_PLAIN_1}, 0x10040},
                        Case{{IDC_SPECIAL_CHIP_64, IDC_SPECIAL_CHIP_48}, 0x10040}}) {
    for (int id = IDC_TARGET_FIRST; id <= IDC_TARGET_LAST; ++id) {
      CheckDlgButton(dialog, id, BST_UNCHECKED);
    }
    for (const int id : c.checked) CheckDlgButton(dialog, id, BST_CHECKED);
    EXPECT_EQ(CollectSizeCode(dialog), c.size_code) << c.checked.size() << " checked";
  }
}

TEST_P(DialogTest, AboutBoxShowsItsTexts) {
  const HWND dialog = Create(IDD_ABOUT, AboutDlgProc);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(ItemText(IDC_DISCLAIMER), kDisclaimer);
  EXPECT_EQ(ItemText(IDC_COPYRIGHT), "Copyright (C) 2026 The Romspan developers");
  EXPECT_EQ(ItemText(IDC_WEBSITE), kWebAddress);
  EXPECT_EQ(ItemText(IDC_VERSION), "Version 1.20");
  EXPECT_EQ(ItemText(IDC_BUILD), "Public Build x64 --- Jul  1 2022");
  EXPECT_EQ(ItemText(IDC_ABOUT_SPARE), "");
}

INSTANTIATE_TEST_SUITE_P(Modes, DialogTest, ::testing::Values(1, 0),
                         [](const auto& info) { return info.param ? "Wide" : "Narrow"; });

}  // namespace

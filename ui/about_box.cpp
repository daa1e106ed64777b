#include "about_box.h"

#include "about_texts.h"
#include "instance_handle.h"
#include "resource_ids.h"
#include "text_modes.h"
#include "window_text_utf8.h"

namespace {

struct ShownText {
  int id;
  const char* text;
};

// The template holds placeholders; the texts live here as internal text.
constexpr ShownText kShownTexts[] = {
    {IDC_DISCLAIMER, kDisclaimer}, {IDC_COPYRIGHT, kCopyrightLine}, {IDC_WEBSITE, kWebAddress},
    {IDC_VERSION, kVersionText},   {IDC_BUILD, kBuildLine},
};

}  // namespace

INT_PTR CALLBACK AboutDlgProc(HWND dialog, UINT message, WPARAM w_param, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (const ShownText& shown : kShownTexts) {
      SetWindowTextUtf8(GetDlgItem(dialog, shown.id), shown.text);
    }
    return TRUE;  // the dialog manager focuses the OK button
  }
  if (message == WM_COMMAND) {
    const int id = LOWORD(w_param);
    if (id == IDOK || id == IDCANCEL) {
      EndDialog(dialog, id);
      return TRUE;
    }
  }
  return FALSE;
}

void ShowAboutBox(HWND owner) {
  if (wide_api_mode) {
    DialogBoxParamW(instance_handle, MAKEINTRESOURCEW(IDD_ABOUT), owner, AboutDlgProc, 0);
  } else {
    DialogBoxParamA(instance_handle, MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutDlgProc, 0);
  }
}

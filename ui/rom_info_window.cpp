#include "rom_info_window.h"

#include <string>

#include "expansion_job.h"
#include "instance_handle.h"
#include "resource_ids.h"
#include "rom_facts.h"
#include "text_modes.h"
#include "window_text_utf8.h"

namespace {

// The lines the command line prints, with the line ends a Windows text box breaks at.
void AppendFact(void* context, const char* name, const char* value) {
  std::string& text = *static_cast<std::string*>(context);
  text.append(name).append(": ").append(value).append("\r\n");
}

INT_PTR CALLBACK RomInfoDlgProc(HWND dialog, UINT message, WPARAM w_param, LPARAM l_param) {
  if (message == WM_INITDIALOG) {
    const HWND text = GetDlgItem(dialog, IDC_INFO_TEXT);
    SetWindowTextUtf8(text, reinterpret_cast<const char*>(l_param));
    // All of it selected, for Ctrl+C, with the caret and the view at its start.
    SetFocus(text);
    SendMessageW(text, EM_SETSEL, static_cast<WPARAM>(GetWindowTextLengthW(text)), 0);
    SendMessageW(text, EM_SCROLLCARET, 0, 0);
    return FALSE;  // the focus is set
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

}  // namespace

void ShowRomInfo(HWND owner) {
  RomFacts facts;
  if (!GatherRomFacts(owner, &facts)) return;
  std::string text = std::string("ROM file: ") + rom_path + "\r\n";
  ListRomFacts(facts, AppendFact, &text);
  const LPARAM shown = reinterpret_cast<LPARAM>(text.c_str());
  if (wide_api_mode) {
    DialogBoxParamW(instance_handle, MAKEINTRESOURCEW(IDD_ROM_INFO), owner, RomInfoDlgProc, shown);
  } else {
    DialogBoxParamA(instance_handle, MAKEINTRESOURCEA(IDD_ROM_INFO), owner, RomInfoDlgProc, shown);
  }
}

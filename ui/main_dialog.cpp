#include "main_dialog.h"

#include <shellapi.h>

#include "about_box.h"
#include "dialog_icons.h"
#include "dropped_rom.h"
#include "expansion_job.h"
#include "instance_handle.h"
#include "resource_ids.h"
#include "rom_file_chooser.h"
#include "rom_info_window.h"
#include "rom_job.h"
#include "settings.h"
#include "target_buttons.h"
#include "text_modes.h"

namespace {

// Not in every SDK's headers: Windows 8.1 introduced it.
constexpr UINT kDpiChangedMessage = 0x02E0;
constexpr int kInitialTarget = IDC_EXHIROM_48;
constexpr char kDefaultExtension[] = "smc";
// The check boxes the registry remembers, by the name of their value.
constexpr struct {
  int id;
  const wchar_t* setting;
} kRememberedBoxes[] = {{IDC_FIX_CHECKSUM, L"FixChecksum"}, {IDC_KEEP_BACKUP, L"KeepBackup"}};

bool Checked(HWND dialog, int id) {
  return IsDlgButtonChecked(dialog, id) == BST_CHECKED;
}

// The job reports its own outcome in message boxes over the dialog.
void RunJob(HWND dialog, uint32_t size_code) {
  keep_backups = Checked(dialog, IDC_KEEP_BACKUP);
  RunExpansionJob(dialog, size_code, Checked(dialog, IDC_FIX_CHECKSUM));
}

void RememberBox(HWND dialog, int id) {
  for (const auto& box : kRememberedBoxes) {
    if (box.id == id) SaveSetting(box.setting, Checked(dialog, id));
  }
}

void ApplyToRom(HWND dialog) {
  const uint32_t size_code = CollectSizeCode(dialog);
  if (size_code == 0) return;
  if (ChooseRomFile(dialog, rom_path, kRomFileFilter, kDefaultExtension) == 0) return;
  RunJob(dialog, size_code);
}

void ApplyToDroppedRom(HWND dialog, HDROP drop) {
  const uint32_t size_code = CollectSizeCode(dialog);
  if (TakeDroppedRom(dialog, drop) && size_code != 0) RunJob(dialog, size_code);
}

void ShowChosenRomInfo(HWND dialog) {
  if (ChooseRomFile(dialog, rom_path, kRomFileFilter, kDefaultExtension) != 0) {
    ShowRomInfo(dialog);
  }
}

}  // namespace

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM w_param, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetBigIcon(dialog);
      SetSmallIcon(dialog);
      CheckRadioButton(dialog, IDC_TARGET_FIRST, IDC_TARGET_LAST, kInitialTarget);
      for (const auto& box : kRememberedBoxes) {
        CheckDlgButton(dialog, box.id,
                       LoadSetting(box.setting, false) ? BST_CHECKED : BST_UNCHECKED);
      }
      DragAcceptFiles(dialog, TRUE);
      return TRUE;  // the dialog manager sets the first focus
    case WM_COMMAND:
      switch (LOWORD(w_param)) {
        case IDOK:
          ApplyToRom(dialog);
          return TRUE;
        case IDCANCEL:
          DestroyWindow(dialog);
          PostQuitMessage(0);
          return TRUE;
        case IDC_ABOUT:
          ShowAboutBox(dialog);
          return TRUE;
        case IDC_ROM_INFO:
          ShowChosenRomInfo(dialog);
          return TRUE;
        case IDC_FIX_CHECKSUM:
        case IDC_KEEP_BACKUP:
          RememberBox(dialog, LOWORD(w_param));
          return TRUE;
        default:
          return FALSE;
      }
    case WM_DROPFILES:
      ApplyToDroppedRom(dialog, reinterpret_cast<HDROP>(w_param));
      return TRUE;
    case kDpiChangedMessage:
      // The big icon stays; the dialog manager still rescales the dialog.
      SetSmallIcon(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

HWND CreateMainDialog() {
  if (wide_api_mode) {
    return CreateDialogParamW(instance_handle, MAKEINTRESOURCEW(IDD_MAIN), nullptr, MainDlgProc, 0);
  }
  return CreateDialogParamA(instance_handle, MAKEINTRESOURCEA(IDD_MAIN), nullptr, MainDlgProc, 0);
}

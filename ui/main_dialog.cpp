#include "main_dialog.h"

#include "about_box.h"
#include "dialog_icons.h"
#include "expansion_job.h"
#include "instance_handle.h"
#include "resource_ids.h"
#include "rom_file_chooser.h"
#include "target_buttons.h"
#include "text_modes.h"

namespace {

// Not in every SDK's headers: Windows 8.1 introduced it.
constexpr UINT kDpiChangedMessage = 0x02E0;
constexpr int kInitialTarget = IDC_EXHIROM_48;
constexpr char kDefaultExtension[] = "smc";

void ApplyToRom(HWND dialog) {
  const uint32_t size_code = CollectSizeCode(dialog);
  if (size_code == 0) return;
  if (ChooseRomFile(dialog, rom_path, kRomFileFilter, kDefaultExtension) == 0) return;
  // The job reports its own outcome in message boxes over the dialog.
  RunExpansionJob(dialog, size_code);
}

}  // namespace

INT_PTR CALLBACK MainDlgProc(HWND dialog, UINT message, WPARAM w_param, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      SetBigIcon(dialog);
      SetSmallIcon(dialog);
      CheckRadioButton(dialog, IDC_TARGET_FIRST, IDC_TARGET_LAST, kInitialTarget);
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
        default:
          return FALSE;
      }
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

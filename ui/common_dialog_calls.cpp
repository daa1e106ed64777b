#include "common_dialog_calls.h"

#include <cderr.h>

#include "dual_calls.h"
#include "text_modes.h"

CommonDialogCalls common_dialog_calls = {};

namespace {

template <typename Function>
void LookUp(HMODULE library, const char* name, Function* out) {
  const FARPROC found = GetProcAddress(library, name);
  // Through a plain function pointer type: FARPROC's own signature is unrelated.
  *out =
      found != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found)) : nullptr;
}

void LookUpOnce() {
  if (common_dialog_calls.looked_up) return;
  common_dialog_calls.looked_up = true;
  // Kept loaded for the life of the process: the chooser may be opened any number of times.
  const HMODULE library = LoadLibraryUtf8("comdlg32.dll");
  if (library == nullptr) return;
  LookUp(library, "GetOpenFileNameW", &common_dialog_calls.get_open_file_name_w);
  LookUp(library, "GetOpenFileNameA", &common_dialog_calls.get_open_file_name_a);
  LookUp(library, "CommDlgExtendedError", &common_dialog_calls.comm_dlg_extended_error);
}

// Whether the last open-file call could not be made at all; the platform would then report
// no error, and a missing dialog must not look like a cancel.
bool last_call_unavailable = false;

}  // namespace

BOOL CallGetOpenFileName(void* record) {
  LookUpOnce();
  const auto wide_call = common_dialog_calls.get_open_file_name_w;
  const auto narrow_call = common_dialog_calls.get_open_file_name_a;
  last_call_unavailable = wide_api_mode ? wide_call == nullptr : narrow_call == nullptr;
  if (last_call_unavailable) return FALSE;
  return wide_api_mode ? wide_call(static_cast<OPENFILENAMEW*>(record))
                       : narrow_call(static_cast<OPENFILENAMEA*>(record));
}

DWORD CallCommDlgExtendedError() {
  LookUpOnce();
  if (last_call_unavailable || common_dialog_calls.comm_dlg_extended_error == nullptr) {
    return CDERR_INITIALIZATION;
  }
  return common_dialog_calls.comm_dlg_extended_error();
}

// The open-file calls of comdlg32.dll, looked up when first needed: romspan.exe then imports
// nothing a bare Windows lacks, and a command-line run never loads the library.
#pragma once

#include <windows.h>
// commdlg.h needs windows.h first.
#include <commdlg.h>

struct CommonDialogCalls {
  bool looked_up;  // set once the library has been asked, found or not
  BOOL(WINAPI* get_open_file_name_w)(OPENFILENAMEW*);
  BOOL(WINAPI* get_open_file_name_a)(OPENFILENAMEA*);
  DWORD(WINAPI* comm_dlg_extended_error)();
};

extern CommonDialogCalls common_dialog_calls;

// GetOpenFileNameW or GetOpenFileNameA on the same record, by the wide-API mode; FALSE when
// the library lacks the call.
BOOL CallGetOpenFileName(void* record);

// CommDlgExtendedError, or CDERR_INITIALIZATION when the library could not be used.
DWORD CallCommDlgExtendedError();

// GetOpenFileName on internal text.
#pragma once

#include <windows.h>
// commdlg.h needs windows.h first.
#include <commdlg.h>

#include <cstdint>

// Every text of `request` is internal text and every capacity counts its bytes. The texts are
// converted for GetOpenFileNameW or GetOpenFileNameA (by the wide-API mode) and the returned
// ones converted back, with nFileOffset and nFileExtension as byte offsets. Nonzero when a
// file was chosen and the returned path and file title fitted; a cut is reported to the user
// here, a cancel or platform failure is left to CommDlgExtendedError.
uint32_t GetOpenFileNameUtf8(OPENFILENAMEA* request);

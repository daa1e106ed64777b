#include "rom_file_chooser.h"

#include <cderr.h>

#include <cstdio>
#include <cstring>

#include "chooser_messages.h"
#include "common_dialog_calls.h"
#include "open_file_name_utf8.h"
#include "platform_calls.h"

const char kRomFileFilter[] =
    "SNES ROM Image Files (*.smc,*.sfc)\0*.smc;*.sfc\0"
    "All Files (*.*)\0*.*\0";

namespace {

constexpr DWORD kFileBufferCapacity = 8192;
constexpr DWORD kChooserFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;

OPENFILENAMEA open_file_request;

}  // namespace

uint32_t ChooseRomFile(HWND owner, char* file_buffer, const char* filter,
                       const char* default_extension) {
  // An unreadable or overlong current directory leaves it empty: the dialog then picks one.
  char initial_dir[kFileBufferCapacity] = "";
  GetCurrentDirectoryUtf8(sizeof initial_dir, initial_dir);

  std::memset(&open_file_request, 0, sizeof open_file_request);
  open_file_request.lStructSize = sizeof open_file_request;
  open_file_request.hwndOwner = owner;
  open_file_request.lpstrFilter = filter;
  // Not cleared: the last chosen path is offered again.
  open_file_request.lpstrFile = file_buffer;
  open_file_request.nMaxFile = kFileBufferCapacity;
  open_file_request.lpstrInitialDir = initial_dir;
  open_file_request.Flags = kChooserFlags;
  open_file_request.lpstrDefExt = default_extension;

  if (GetOpenFileNameUtf8(&open_file_request) != 0) {
    return static_cast<uint32_t>(open_file_request.nFileExtension) << 16 |
           open_file_request.nFileOffset;
  }
  // 0 after a cancel, and after a cut path, which GetOpenFileNameUtf8 has reported already.
  const DWORD error = CallCommDlgExtendedError();
  if (error == 0) return 0;
  char message[256];
  if (error == FNERR_BUFFERTOOSMALL) {
    std::snprintf(message, sizeof message, "%s", kPathTooLongText);
  } else {
    std::snprintf(message, sizeof message, kErrorCodeFormat, static_cast<unsigned>(error));
  }
  MessageBoxUtf8(owner, message, kCommonControlErrorTitle, kIconInformation);
  return 0;
}

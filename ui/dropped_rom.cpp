#include "dropped_rom.h"

#include <shellapi.h>

#include <cstdlib>
#include <cstring>

#include "conversion_buffers.h"
#include "expansion_job.h"
#include "platform_calls.h"

namespace {

constexpr UINT kPathUnits = 32768;  // the longest path the wide calls take
constexpr UINT kCountFiles = 0xFFFFFFFF;
constexpr char kDropCanceledTitle[] = "Expansion Canceled!";
constexpr char kOneFileText[] = "Drop one ROM file, not several files or a folder.";
constexpr char kPathTooLongText[] = "Path/file name is too long!";

wchar_t dropped_path[kPathUnits];

}  // namespace

bool TakeDroppedRom(HWND owner, HDROP drop) {
  const bool one = DragQueryFileW(drop, kCountFiles, nullptr, 0) == 1 &&
                   DragQueryFileW(drop, 0, dropped_path, kPathUnits) != 0;
  DragFinish(drop);
  const DWORD attributes = one ? GetFileAttributesW(dropped_path) : INVALID_FILE_ATTRIBUTES;
  if (!one ||
      (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
    MessageBoxUtf8(owner, kOneFileText, kDropCanceledTitle, kIconWarning);
    return false;
  }
  uint32_t bytes = 0;
  char* path = FromWideAlloc(dropped_path, &bytes);
  const bool fits = path != nullptr && bytes <= kRomPathCapacity;
  if (fits) {
    std::memcpy(rom_path, path, bytes);
  } else {
    MessageBoxUtf8(owner, kPathTooLongText, kDropCanceledTitle, kIconWarning);
  }
  std::free(path);
  return fits;
}

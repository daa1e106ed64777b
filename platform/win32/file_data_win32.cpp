// Win32 file lengths and copies: SetEndOfFile. Copies go through the program's own buffer: the
// one faster way, block cloning (FSCTL_DUPLICATE_EXTENTS_TO_FILE), exists on ReFS alone, which
// could not be measured here.
#include <windows.h>

#include <cstdio>

#include "held_file_win32.h"
#include "platform_calls.h"

bool SetStreamFileSize(FILE* stream, uint64_t size) {
  if (stream == nullptr || std::fflush(stream) != 0) return false;
  const HANDLE handle = HandleOfStream(stream);
  LARGE_INTEGER end;
  end.QuadPart = static_cast<LONGLONG>(size);
  return SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && SetEndOfFile(handle);
}

SystemCopy CopyFileDataInSystem(FILE*, uint64_t, FILE*, uint64_t, uint64_t) {
  return SystemCopy::kUnsupported;
}

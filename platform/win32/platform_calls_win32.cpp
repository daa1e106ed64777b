// Win32 implementation of the platform operations: every text crosses as UTF-16 (wide-API
// mode) or in the ANSI code page, converted right before the call and released right after.
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "command_line_source.h"
#include "command_line_text.h"
#include "conversion_buffers.h"
#include "dual_calls.h"
#include "platform_calls.h"
#include "text_modes.h"

namespace {

// Consoles, pipes and devices such as NUL open like files but hold no ROM.
bool IsDiskFile(FILE* stream) {
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  return handle != INVALID_HANDLE_VALUE && GetFileType(handle) == FILE_TYPE_DISK;
}

// Asks `query` (GetCurrentDirectoryW or GetCurrentDirectoryA) for the directory, receiving it
// in `static_area` when that is free and big enough, and converts it to internal text.
template <typename Unit, typename Query, typename Convert, typename Release>
char* QueryCurrentDirectory(Unit* static_area, uint8_t* static_in_use, Query query, Convert convert,
                            Release release, uint32_t* out_bytes) {
  const DWORD needed = query(0, nullptr);
  if (needed == 0) return nullptr;
  Unit* area = nullptr;
  if (*static_in_use == 0 && needed <= kStaticBufferCapacity) {
    *static_in_use = 1;
    area = static_area;
  } else {
    area = static_cast<Unit*>(std::malloc(needed * sizeof(Unit)));
    if (area == nullptr) return nullptr;
  }
  const DWORD stored = query(needed, area);
  // A directory that grew between the two calls no longer fits.
  char* text = stored == 0 || stored > needed ? nullptr : convert(area, out_bytes);
  release(area);
  return text;
}

}  // namespace

const char kReadOnlyAdvice[] =
    "Right click on the file, select \"Properties\", and uncheck the \"Read-Only\" attribute.";

FILE* OpenFileUtf8(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) return nullptr;
  // Windows refuses to write a read-only file; Wine run by root would not, so ask first.
  if (std::strpbrk(mode, "wa+") != nullptr) {
    const uint32_t attributes = GetFileAttributesUtf8(path);
    if (attributes != kAttributesInvalid && (attributes & kAttributeReadOnly) != 0) return nullptr;
  }
  FILE* stream = nullptr;
  if (wide_api_mode) {
    WideChar* wide_path = ToWide(path);
    WideChar* wide_mode = ToWideAlloc(mode, nullptr);
    if (wide_path != nullptr && wide_mode != nullptr) stream = _wfopen(wide_path, wide_mode);
    ReleaseWide(wide_path);
    std::free(wide_mode);
  } else {
    char* ansi_path = ToAnsi(path);
    if (ansi_path != nullptr) stream = std::fopen(ansi_path, mode);
    ReleaseNarrow(ansi_path);
  }
  if (stream != nullptr && !IsDiskFile(stream)) {
    std::fclose(stream);
    stream = nullptr;
  }
  return stream;
}

int MessageBoxUtf8(WindowHandle owner, const char* text, const char* title, uint32_t style) {
  // The wide call in both modes: the system converts for itself where it has no wide API.
  WideChar* wide_text = ToWideAlloc(text, nullptr);
  WideChar* wide_title = ToWideAlloc(title, nullptr);
  const int answer = MessageBoxW(static_cast<HWND>(owner), wide_text, wide_title, style);
  std::free(wide_text);
  std::free(wide_title);
  return answer;
}

uint32_t GetFileAttributesUtf8(const char* path) {
  return DualCall(path, GetFileAttributesW, GetFileAttributesA);
}

HMODULE LoadLibraryUtf8(const char* name) {
  return DualCall(name, LoadLibraryW, LoadLibraryA);
}

uint32_t GetCurrentDirectoryUtf8(uint32_t capacity, char* buffer) {
  if (buffer != nullptr && capacity != 0) buffer[0] = '\0';
  uint32_t count = 0;
  char* directory =
      wide_api_mode ? QueryCurrentDirectory(wide_buffer, &wide_buffer_in_use, GetCurrentDirectoryW,
                                            FromWide, ReleaseWide, &count)
                    : QueryCurrentDirectory(ansi_buffer, &ansi_buffer_in_use, GetCurrentDirectoryA,
                                            FromAnsi, ReleaseNarrow, &count);
  if (directory == nullptr) return 0;
  if (count > capacity) {
    ReleaseNarrow(directory);
    return count;
  }
  std::memcpy(buffer, directory, count);
  ReleaseNarrow(directory);
  return count - 1;
}

bool GetStreamFileSize(FILE* stream, uint64_t* out_size) {
  if (stream == nullptr || std::fflush(stream) != 0) return false;
  const __int64 size = _filelengthi64(_fileno(stream));
  if (size < 0) return false;
  *out_size = static_cast<uint64_t>(size);
  return true;
}

char* GetCommandLineArguments(uint32_t* out_length) {
  if (out_length != nullptr) *out_length = 0;
  const WideChar* line = GetCommandLineW();
  if (line == nullptr) return nullptr;
  uint32_t bytes = 0;
  char* whole_line = FromWideAlloc(line, &bytes);
  char* arguments = whole_line != nullptr && bytes > 1
                        ? CopyArgumentsText(whole_line, bytes - 1, out_length)
                        : nullptr;
  std::free(whole_line);
  return arguments;
}

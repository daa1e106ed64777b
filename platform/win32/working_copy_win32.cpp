// Win32 working copy: a new file beside the ROM, written through with FlushFileBuffers and put
// in the ROM's place with ReplaceFileW, which keeps the ROM's attributes and security. Paths
// cross as UTF-16 in both API modes: the systems that can replace a file have the wide calls.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "conversion_buffers.h"
#include "dual_calls.h"
#include "platform_calls.h"

namespace {

constexpr DWORD kPathUnits = 32768;  // the longest path the wide calls take
constexpr int kReplaceAttempts = 50;
constexpr DWORD kReplaceRetryMs = 20;

// Read by the console handler, which runs on a thread of its own.
wchar_t working_copy_path[kPathUnits];
wchar_t replaced_path[kPathUnits];
volatile LONG working_copy_exists = 0;

// Ctrl+C, Ctrl+Break and a closed console end the process; the copy goes with it. The copy is
// open with FILE_SHARE_DELETE, so it disappears when the process lets go of it.
BOOL WINAPI RemoveWorkingCopyOnStop(DWORD) {
  if (working_copy_exists) DeleteFileW(working_copy_path);
  return FALSE;
}

FILE* StreamFromHandle(HANDLE handle, const char* mode) {
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
  if (fd < 0) {
    CloseHandle(handle);
    return nullptr;
  }
  FILE* stream = _fdopen(fd, mode);
  if (stream == nullptr) _close(fd);
  return stream;
}

// `name` points at the file name inside replaced_path; the copy goes beside it.
HANDLE CreateCopyNamed(const wchar_t* name, DWORD attempt) {
  const DWORD tag = (GetTickCount() ^ (GetCurrentProcessId() << 8) ^ (attempt * 0x9E3779B9u));
  std::swprintf(working_copy_path, kPathUnits, L"%.*ls.%ls.romspan-%06lx",
                static_cast<int>(name - replaced_path), replaced_path, name,
                static_cast<unsigned long>(tag & 0xFFFFFF));
  return CreateFileW(working_copy_path, GENERIC_READ | GENERIC_WRITE,
                     FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool ReplaceRom() {
  // ReplaceFileW carries the attributes over on Windows but not on every system that offers it.
  constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                    FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD attributes = GetFileAttributesW(replaced_path);
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    SetFileAttributesW(working_copy_path, attributes & kKeptAttributes);
  }
  for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
    if (ReplaceFileW(replaced_path, working_copy_path, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
      return true;
    }
    // A program that reads the ROM may hold it for a moment.
    const DWORD error = GetLastError();
    if (error != ERROR_SHARING_VIOLATION && error != ERROR_UNABLE_TO_REMOVE_REPLACED) break;
    Sleep(kReplaceRetryMs);
  }
  return false;
}

// Flushing the replaced file commits the file system's record of the new name with it.
bool FlushReplacedFile() {
  const HANDLE handle = CreateFileW(replaced_path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool flushed = FlushFileBuffers(handle) != 0;
  CloseHandle(handle);
  return flushed;
}

}  // namespace

FILE* OpenFileExclusiveUtf8(const char* path, bool* in_use) {
  *in_use = false;
  // Windows refuses to write a read-only file; Wine run by root would not, so ask first.
  const uint32_t attributes = GetFileAttributesUtf8(path);
  if (attributes != kAttributesInvalid && (attributes & kAttributeReadOnly) != 0) return nullptr;
  // Other programs may read the ROM meanwhile, but no other run or writer may open it.
  const HANDLE handle = DualCall(
      path,
      [](const WideChar* wide_path) {
        return CreateFileW(wide_path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      },
      [](const char* ansi_path) {
        return CreateFileA(ansi_path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
      });
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    *in_use = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    return nullptr;
  }
  // Consoles, pipes and devices such as NUL open like files but hold no ROM.
  if (GetFileType(handle) != FILE_TYPE_DISK) {
    CloseHandle(handle);
    return nullptr;
  }
  return StreamFromHandle(handle, "r+b");
}

FILE* CreateWorkingCopyUtf8(const char* path) {
  if (working_copy_exists) return nullptr;
  WideChar* wide_path = ToWideAlloc(path, nullptr);
  wchar_t* name = nullptr;
  const DWORD length =
      wide_path != nullptr ? GetFullPathNameW(wide_path, kPathUnits, replaced_path, &name) : 0;
  std::free(wide_path);
  if (length == 0 || length >= kPathUnits || name == nullptr) return nullptr;

  static bool handler_installed = false;
  if (!handler_installed) handler_installed = SetConsoleCtrlHandler(RemoveWorkingCopyOnStop, TRUE);
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (DWORD attempt = 0; attempt < 16 && handle == INVALID_HANDLE_VALUE; ++attempt) {
    handle = CreateCopyNamed(name, attempt);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return nullptr;
  }
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  InterlockedExchange(&working_copy_exists, 1);
  FILE* copy = StreamFromHandle(handle, "w+b");
  if (copy == nullptr) {
    DeleteFileW(working_copy_path);
    InterlockedExchange(&working_copy_exists, 0);
  }
  return copy;
}

bool ReplaceWithWorkingCopyUtf8(FILE* copy, FILE** rom, const char* /*path*/) {
  const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(copy)));
  bool replaced = std::fflush(copy) == 0 && FlushFileBuffers(handle) != 0;
  replaced = std::fclose(copy) == 0 && replaced;
  // An open file cannot be replaced: the ROM is let go at the last moment.
  if (*rom != nullptr) std::fclose(*rom);
  *rom = nullptr;
  replaced = replaced && ReplaceRom();
  if (!replaced) DeleteFileW(working_copy_path);
  InterlockedExchange(&working_copy_exists, 0);
  return replaced && FlushReplacedFile();
}

void DiscardWorkingCopy(FILE* copy) {
  std::fclose(copy);
  DeleteFileW(working_copy_path);
  InterlockedExchange(&working_copy_exists, 0);
}

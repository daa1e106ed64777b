// Win32 working copy: a new file beside the ROM, given the ROM's attributes and security,
// written through with FlushFileBuffers and put in the ROM's place by one rename. Paths cross as
// UTF-16 in both API modes: the systems that can replace a file have the wide calls.
//
// The rename is the whole commit, so no moment leaves the ROM's name empty. ReplaceFileW is not
// used: it moves the ROM aside, deletes it and only then renames the copy, three steps a kill
// can split, and it leaves a stray file behind each time it fails.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "conversion_buffers.h"
#include "file_security_win32.h"
#include "held_file_win32.h"
#include "platform_calls.h"
#include "run_files_win32.h"

wchar_t replaced_path[kPathUnits];

namespace {
// A program that reads the ROM may hold it for a moment; nothing is made per attempt.
constexpr ULONGLONG kReplaceWindowMs = 500;
constexpr DWORD kReplaceRetryMs = 50;

// FileRenameInfoEx (Windows 10 1607) and its flags, which older headers lack.
constexpr auto kFileRenameInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(22);
constexpr DWORD kRenameReplaceIfExists = 0x1;
constexpr DWORD kRenamePosixSemantics = 0x2;
struct RenameRequest {
  DWORD flags;
  HANDLE root_directory;
  DWORD name_bytes;
  wchar_t name[kPathUnits];
};

// Read by the console handler, which runs on a thread of its own.
wchar_t working_copy_path[kPathUnits];
volatile LONG working_copy_exists = 0;
RenameRequest rename_request;

// Ctrl+C, Ctrl+Break and a closed console end the process; the copy goes with it. The copy is
// open with FILE_SHARE_DELETE, so it disappears when the process lets go of it.
BOOL WINAPI RemoveWorkingCopyOnStop(DWORD) {
  if (working_copy_exists) DeleteFileW(working_copy_path);
  if (backup_exists) DeleteFileW(backup_path);
  return FALSE;
}

// `name` points at the file name inside replaced_path; the copy goes beside it. Its handle may
// rename it and set its security.
HANDLE CreateCopyNamed(const wchar_t* name, DWORD attempt) {
  const DWORD tag = (GetTickCount() ^ (GetCurrentProcessId() << 8) ^ (attempt * 0x9E3779B9u));
  std::swprintf(working_copy_path, kPathUnits, L"%.*ls.%ls.romspan-%06lx",
                static_cast<int>(name - replaced_path), replaced_path, name,
                static_cast<unsigned long>(tag & 0xFFFFFF));
  return CreateFileW(
      working_copy_path, GENERIC_READ | GENERIC_WRITE | DELETE | WRITE_DAC | WRITE_OWNER,
      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// What a retry may outlast: another program's handle on the ROM.
bool MayPass(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
         error == ERROR_LOCK_VIOLATION;
}

// The system or file system offers no rename with POSIX semantics.
bool RenameUnsupported(DWORD error) {
  return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
         error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED ||
         error == ERROR_INVALID_LEVEL;
}

enum class Commit { kReplaced, kUnsupported, kInUse, kFailed };

// Once the ROM's name holds the result, the backup holds what it held: it stays.
void KeepBackup() {
  InterlockedExchange(&backup_exists, 0);
}

// Windows 10 1607 and later rename over a file that still has open handles when they share
// deleting, as the run's hold does: the run keeps the ROM through the rename, so no other run
// gets in, and the flush of the renamed copy's handle makes the new name durable.
Commit RenameHoldingRom(HANDLE copy) {
  const size_t name_units = std::wcslen(replaced_path);
  rename_request.flags = kRenameReplaceIfExists | kRenamePosixSemantics;
  rename_request.root_directory = nullptr;
  rename_request.name_bytes = static_cast<DWORD>(name_units * sizeof(wchar_t));
  std::wmemcpy(rename_request.name, replaced_path, name_units + 1);
  const DWORD size =
      static_cast<DWORD>(offsetof(RenameRequest, name) + (name_units + 1) * sizeof(wchar_t));
  const ULONGLONG deadline = GetTickCount64() + kReplaceWindowMs;
  while (!SetFileInformationByHandle(copy, kFileRenameInfoEx, &rename_request, size)) {
    const DWORD error = GetLastError();
    if (RenameUnsupported(error)) return Commit::kUnsupported;
    if (!MayPass(error)) return Commit::kFailed;
    if (GetTickCount64() >= deadline) return Commit::kInUse;
    Sleep(kReplaceRetryMs);
  }
  KeepBackup();
  return FlushFileBuffers(copy) ? Commit::kReplaced : Commit::kFailed;
}

// Elsewhere (Wine among them) an open file cannot be replaced: the run lets go of the ROM, and
// its mutex keeps other runs out until the rename is done. A file that another program put
// under the name meanwhile is not replaced. MOVEFILE_WRITE_THROUGH returns once the rename is
// on the disk.
Commit RenameAfterLettingGo(FILE** rom) {
  std::fclose(*rom);
  *rom = nullptr;
  const ULONGLONG deadline = GetTickCount64() + kReplaceWindowMs;
  while (HeldFileIsNamedBy(replaced_path)) {
    if (MoveFileExW(working_copy_path, replaced_path,
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      KeepBackup();
      return Commit::kReplaced;
    }
    if (!MayPass(GetLastError())) return Commit::kFailed;
    if (GetTickCount64() >= deadline) break;
    Sleep(kReplaceRetryMs);
  }
  return Commit::kInUse;
}

}  // namespace

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

bool ReplaceWithWorkingCopyUtf8(FILE* copy, FILE** rom, const char* /*path*/, bool* in_use) {
  const HANDLE handle = HandleOfStream(copy);
  Commit commit = std::fflush(copy) == 0 &&
                          CopyFileSecurity(HandleOfStream(*rom), handle, working_copy_path) &&
                          FlushFileBuffers(handle)
                      ? RenameHoldingRom(handle)
                      : Commit::kFailed;
  if (commit == Commit::kUnsupported) commit = RenameAfterLettingGo(rom);
  std::fclose(copy);
  if (commit != Commit::kReplaced) DeleteFileW(working_copy_path);
  InterlockedExchange(&working_copy_exists, 0);

  *in_use = commit == Commit::kInUse;
  return commit == Commit::kReplaced;
}

void DiscardWorkingCopy(FILE* copy) {
  std::fclose(copy);
  DeleteFileW(working_copy_path);
  InterlockedExchange(&working_copy_exists, 0);
}

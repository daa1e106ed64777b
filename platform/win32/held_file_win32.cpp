// Win32 hold on the ROM: an open that shares reading (and deleting, so that the commit may
// rename over it) but no writing, so other runs and writers are refused; and a named mutex
// after the file's identity, which other runs cannot take while this one works. The mutex
// keeps them out also while the commit has let go of the file to replace it.
#include "held_file_win32.h"

#include <fcntl.h>
#include <io.h>

#include <cstdint>
#include <cwchar>

#include "dual_calls.h"
#include "platform_calls.h"

namespace {

struct FileIdentity {
  DWORD volume = 0;
  uint64_t index = 0;
};

// Other programs may read the ROM meanwhile, but no other run or writer may open it.
constexpr DWORD kHeldAccess = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kHeldSharing = FILE_SHARE_READ | FILE_SHARE_DELETE;

FileIdentity held_identity;
HANDLE held_mutex = nullptr;

bool IdentityOf(HANDLE handle, FileIdentity* identity) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(handle, &information)) return false;
  identity->volume = information.dwVolumeSerialNumber;
  identity->index = (uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow;
  return true;
}

// True once this run owns the mutex of `identity`; `*in_use` when another run does.
bool TakeRunMutex(const FileIdentity& identity, bool* in_use) {
  wchar_t name[64];
  std::swprintf(name, 64, L"Local\\Romspan-%08lX-%016llX",
                static_cast<unsigned long>(identity.volume),
                static_cast<unsigned long long>(identity.index));
  held_mutex = CreateMutexW(nullptr, FALSE, name);
  if (held_mutex == nullptr) return false;
  // An abandoned mutex is a run that was killed: its hold ended with it.
  const DWORD wait = WaitForSingleObject(held_mutex, 0);
  if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return true;
  *in_use = wait == WAIT_TIMEOUT;
  CloseHandle(held_mutex);
  held_mutex = nullptr;
  return false;
}

}  // namespace

HANDLE HandleOfStream(FILE* stream) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

FILE* OpenFileExclusiveUtf8(const char* path, bool* in_use) {
  *in_use = false;
  // Windows refuses to write a read-only file; Wine run by root would not, so ask first.
  const uint32_t attributes = GetFileAttributesUtf8(path);
  if (attributes != kAttributesInvalid && (attributes & kAttributeReadOnly) != 0) return nullptr;
  const HANDLE handle = DualCall(
      path,
      [](const WideChar* wide_path) {
        return CreateFileW(wide_path, kHeldAccess, kHeldSharing, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
      },
      [](const char* ansi_path) {
        return CreateFileA(ansi_path, kHeldAccess, kHeldSharing, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
      });
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    *in_use = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    return nullptr;
  }
  // Consoles, pipes and devices such as NUL open like files but hold no ROM.
  const bool held = GetFileType(handle) == FILE_TYPE_DISK && IdentityOf(handle, &held_identity) &&
                    TakeRunMutex(held_identity, in_use);
  const int fd =
      held ? _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY) : -1;
  FILE* stream = fd >= 0 ? _fdopen(fd, "r+b") : nullptr;
  if (stream == nullptr) {
    if (fd >= 0) {
      _close(fd);
    } else {
      CloseHandle(handle);
    }
    CloseExclusiveFile(nullptr);
  }
  return stream;
}

void CloseExclusiveFile(FILE* stream) {
  if (stream != nullptr) std::fclose(stream);
  if (held_mutex == nullptr) return;
  ReleaseMutex(held_mutex);
  CloseHandle(held_mutex);
  held_mutex = nullptr;
}

bool HeldFileIsNamedBy(const wchar_t* path) {
  // Attributes only, shared in every way: this open blocks nobody.
  const HANDLE handle = CreateFileW(path, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  FileIdentity named;
  const bool same = IdentityOf(handle, &named) && named.volume == held_identity.volume &&
                    named.index == held_identity.index;
  CloseHandle(handle);
  return same;
}

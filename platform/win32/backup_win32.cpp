// Win32 backup: a hard link to the held ROM (CreateHardLinkW), which costs no copy, or a copy
// with the ROM's attributes and security where the file system has no hard links (FAT, exFAT).
// The commit's rename, written through after it, makes the backup's name durable with its own.
#include <cwchar>

#include "file_security_win32.h"
#include "held_file_win32.h"
#include "platform_calls.h"
#include "run_files_win32.h"

wchar_t backup_path[kPathUnits];
volatile LONG backup_exists = 0;

namespace {

constexpr int kBackupNames = 1000;  // NAME.bak, then NAME.1.bak to NAME.999.bak

bool NameBackup(int number) {
  const int written =
      number == 0 ? std::swprintf(backup_path, kPathUnits, L"%ls.bak", replaced_path)
                  : std::swprintf(backup_path, kPathUnits, L"%ls.%d.bak", replaced_path, number);
  return written > 0;
}

bool NameTaken(DWORD error) {
  return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
}

// The file system cannot link this file (FAT answers ERROR_INVALID_FUNCTION, Wine maps a Unix
// file system's refusal to ERROR_ACCESS_DENIED); a copy can still keep it.
bool LinkImpossible(DWORD error) {
  return error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED ||
         error == ERROR_TOO_MANY_LINKS || error == ERROR_NOT_SAME_DEVICE ||
         error == ERROR_ACCESS_DENIED;
}

}  // namespace

FILE* CreateBackupUtf8(FILE* rom, const char* /*path*/, bool* linked) {
  *linked = false;
  bool can_link = true;
  for (int number = 0; number < kBackupNames && NameBackup(number); ++number) {
    if (can_link && CreateHardLinkW(backup_path, replaced_path, nullptr)) {
      InterlockedExchange(&backup_exists, 1);
      *linked = true;
      return nullptr;
    }
    if (can_link && NameTaken(GetLastError())) continue;
    if (can_link && !LinkImpossible(GetLastError())) return nullptr;
    can_link = false;
    const HANDLE handle =
        CreateFileW(backup_path, GENERIC_READ | GENERIC_WRITE | WRITE_DAC | WRITE_OWNER | DELETE,
                    FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (NameTaken(GetLastError())) continue;
      return nullptr;
    }
    InterlockedExchange(&backup_exists, 1);
    if (!CopyFileSecurity(HandleOfStream(rom), handle, backup_path)) {
      CloseHandle(handle);
      DiscardBackup();
      return nullptr;
    }
    FILE* copy = StreamFromHandle(handle, "w+b");
    if (copy == nullptr) DiscardBackup();
    return copy;
  }
  return nullptr;
}

bool FinishBackup(FILE* copy, bool filled) {
  bool kept = filled;
  if (copy != nullptr) {
    kept = kept && std::fflush(copy) == 0 && FlushFileBuffers(HandleOfStream(copy)) != 0;
    kept = std::fclose(copy) == 0 && kept;
  }
  if (!kept) DiscardBackup();
  return kept;
}

void DiscardBackup() {
  if (InterlockedExchange(&backup_exists, 0) != 0) DeleteFileW(backup_path);
}

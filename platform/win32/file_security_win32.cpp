#include "file_security_win32.h"

#include <aclapi.h>

namespace {

constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                  FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Wine keeps no access lists: it makes a file's DACL up from its Unix mode and turns any DACL
// set on a file into mode 0775, which would open the result to the group. There the result
// keeps the mode a new file gets.
bool SecurityIsUnixMode() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool KeepsAccessLists(HANDLE file) {
  DWORD flags = 0;
  if (!GetVolumeInformationByHandleW(file, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) {
    return true;  // unknown: try, and let a refusal tell
  }
  return (flags & FILE_PERSISTENT_ACLS) != 0 && !SecurityIsUnixMode();
}

bool CopyAccessList(HANDLE from, HANDLE to) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetSecurityInfo(from, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | OWNER_SECURITY_INFORMATION,
                      &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  SECURITY_INFORMATION what = DACL_SECURITY_INFORMATION;
  if (GetSecurityDescriptorControl(descriptor, &control, &revision) &&
      (control & SE_DACL_PROTECTED) != 0) {
    what |= PROTECTED_DACL_SECURITY_INFORMATION;
  }
  const bool copied =
      SetSecurityInfo(to, SE_FILE_OBJECT, what, nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
  // Only an owner the user may give: the run's own file is the user's otherwise.
  if (copied) {
    SetSecurityInfo(to, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner, nullptr, nullptr,
                    nullptr);
  }
  LocalFree(descriptor);
  return copied;
}

}  // namespace

bool CopyFileSecurity(HANDLE from, HANDLE to, const wchar_t* to_path) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(from, &information)) return false;
  const DWORD attributes = information.dwFileAttributes & kKeptAttributes;
  if (attributes != 0 && !SetFileAttributesW(to_path, attributes)) return false;
  return !KeepsAccessLists(to) || CopyAccessList(from, to);
}

#include "settings.h"

#include <windows.h>

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Romspan";

}  // namespace

bool LoadSetting(const wchar_t* name, bool fallback) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return fallback;
  }
  DWORD value = 0;
  DWORD type = 0;
  DWORD size = sizeof value;
  const bool read = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value),
                                     &size) == ERROR_SUCCESS &&
                    type == REG_DWORD && size == sizeof value;
  RegCloseKey(key);
  return read ? value != 0 : fallback;
}

void SaveSetting(const wchar_t* name, bool value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  const DWORD stored = value ? 1 : 0;
  RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&stored), sizeof stored);
  RegCloseKey(key);
}

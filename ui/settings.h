// The dialog's choices, remembered between runs under HKEY_CURRENT_USER\Software\Romspan. A
// registry that cannot be read or written only forgets them: no job depends on it.
#pragma once

// The value `name`, or `fallback` when it cannot be read.
bool LoadSetting(const wchar_t* name, bool fallback);
void SaveSetting(const wchar_t* name, bool value);

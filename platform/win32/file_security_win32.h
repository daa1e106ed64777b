// What a result must keep of the file it replaces, beyond its bytes.
#pragma once

#include <windows.h>

// Gives the new file `to` (named `to_path`) the attributes of `from` and, where the file system
// keeps access lists, its DACL and, where the user may set it, its owner: a new file would
// otherwise inherit its folder's. Read-only is never set: such a ROM is refused before.
bool CopyFileSecurity(HANDLE from, HANDLE to, const wchar_t* to_path);

// Texts the ROM file chooser shows, in message boxes with the information icon.
#pragma once

inline constexpr char kCommonControlErrorTitle[] = "Common Control Error!";
inline constexpr char kPathTooLongText[] = "Path/file name is too long!";
inline constexpr char kErrorCodeFormat[] = "Error Code %X";

// What the About box shows; internal text.
#pragma once

inline constexpr char kDisclaimer[] =
    "Nintendo neither endorses nor supports this program, and its authors have no ties to any "
    "other company.\r\n"
    "Romspan is free of charge and comes without any warranty.\r\n"
    "Its authors accept no liability for any damage that using or keeping it may cause.\r\n";
inline constexpr char kCopyrightLine[] = "Copyright (C) 2026 The Romspan developers";
inline constexpr char kWebAddress[] = "https://romspan.example.org/";
inline constexpr char kVersionText[] = "Version 1.20";
// The day has the width of a compile-date stamp: a blank before a one-digit day.
inline constexpr char kBuildLine[] = "Public Build x64 --- Jul  1 2022";

// A list (strings ended by one more terminator) or a pair (two strings) crosses a text
// converter that stops at the first terminator as one text whose inner terminators are
// separator markers; UnpackMarkers turns them back after the conversion.
#pragma once

#include "wide_char.h"

inline constexpr char kSeparatorMarker = 0x01;
inline constexpr WideChar kSeparatorMarkerW = 0x0001;

// Fresh heap blocks (free them with free()); null for a null input or a failed allocation.
char* PackList(const char* list);
WideChar* PackListW(const WideChar* list);
char* PackPair(const char* pair);
WideChar* PackPairW(const WideChar* pair);

// In place: every marker before the terminator becomes a terminator.
void UnpackMarkers(char* text);
void UnpackMarkers(WideChar* text);

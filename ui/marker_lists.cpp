#include "marker_lists.h"

#include <cstdlib>
#include <cstring>

namespace {

template <typename Unit>
Unit* CopyUnits(const Unit* source, size_t count) {
  Unit* copy = static_cast<Unit*>(std::malloc(count * sizeof(Unit)));
  if (copy != nullptr) std::memcpy(copy, source, count * sizeof(Unit));
  return copy;
}

template <typename Unit>
Unit* PackListOf(const Unit* list, Unit marker) {
  if (list == nullptr) return nullptr;
  size_t end = 0;  // the first of the two terminators that end the list
  while (list[end] != 0 || list[end + 1] != 0) ++end;
  Unit* packed = CopyUnits(list, end + 2);
  if (packed == nullptr) return nullptr;
  for (size_t i = 0; i <= end; ++i) {
    if (packed[i] == 0) packed[i] = marker;
  }
  return packed;
}

template <typename Unit>
Unit* PackPairOf(const Unit* pair, Unit marker) {
  if (pair == nullptr) return nullptr;
  size_t separator = 0;
  while (pair[separator] != 0) ++separator;
  size_t end = separator + 1;
  while (pair[end] != 0) ++end;
  Unit* packed = CopyUnits(pair, end + 1);
  if (packed != nullptr) packed[separator] = marker;
  return packed;
}

template <typename Unit>
void UnpackMarkersOf(Unit* text, Unit marker) {
  if (text == nullptr) return;
  for (; *text != 0; ++text) {
    if (*text == marker) *text = 0;
  }
}

}  // namespace

char* PackList(const char* list) {
  return PackListOf(list, kSeparatorMarker);
}

WideChar* PackListW(const WideChar* list) {
  return PackListOf(list, kSeparatorMarkerW);
}

char* PackPair(const char* pair) {
  return PackPairOf(pair, kSeparatorMarker);
}

WideChar* PackPairW(const WideChar* pair) {
  return PackPairOf(pair, kSeparatorMarkerW);
}

void UnpackMarkers(char* text) {
  UnpackMarkersOf(text, kSeparatorMarker);
}

void UnpackMarkers(WideChar* text) {
  UnpackMarkersOf(text, kSeparatorMarkerW);
}

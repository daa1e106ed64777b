#include "open_file_name_utf8.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "chooser_messages.h"
#include "common_dialog_calls.h"
#include "conversion_buffers.h"
#include "file_offsets.h"
#include "marker_lists.h"
#include "platform_calls.h"
#include "text_modes.h"

namespace {

static_assert(sizeof(OPENFILENAMEW) == sizeof(OPENFILENAMEA));

// The unit of the platform call's text and the conversions that reach it.
template <typename Unit>
struct Platform;

template <>
struct Platform<WideChar> {
  using Record = OPENFILENAMEW;
  static WideChar* FromInternal(const char* text, uint32_t* units) {
    return ToWideAlloc(text, units);
  }
  static char* ToInternal(const WideChar* text, uint32_t* bytes) {
    return FromWideAlloc(text, bytes);
  }
  static WideChar* List(const WideChar* list) { return PackListW(list); }
  static WideChar* Pair(const WideChar* pair) { return PackPairW(pair); }
};

template <>
struct Platform<char> {
  using Record = OPENFILENAMEA;
  static char* FromInternal(const char* text, uint32_t* bytes) { return ToAnsiAlloc(text, bytes); }
  static char* ToInternal(const char* text, uint32_t* bytes) { return FromAnsiAlloc(text, bytes); }
  static char* List(const char* list) { return PackList(list); }
  static char* Pair(const char* pair) { return PackPair(pair); }
};

// The heap blocks handed to the platform, freed together whatever the outcome.
template <typename Unit>
struct InboundBlocks {
  Unit* filter = nullptr;
  Unit* custom_filter = nullptr;
  Unit* file = nullptr;
  Unit* file_title = nullptr;
  Unit* initial_dir = nullptr;
  Unit* title = nullptr;
  Unit* default_extension = nullptr;
  Unit* template_name = nullptr;

  ~InboundBlocks() {
    for (Unit* block : {filter, custom_filter, file, file_title, initial_dir, title,
                        default_extension, template_name}) {
      std::free(block);
    }
  }
};

// A list or pair of internal text, packed, converted and unpacked again into platform text.
template <typename Unit>
Unit* ToPlatformMarked(char* (*pack)(const char*), const char* text, uint32_t* out_units) {
  char* packed = pack(text);
  Unit* converted = Platform<Unit>::FromInternal(packed, out_units);
  std::free(packed);
  UnpackMarkers(converted);
  return converted;
}

// Gives the platform room for `capacity` units to write into, when the text is shorter.
template <typename Unit>
DWORD GrowTo(Unit** block, uint32_t units, DWORD capacity) {
  if (*block == nullptr) return 0;
  if (units < capacity) {
    if (Unit* grown = static_cast<Unit*>(std::realloc(*block, capacity * sizeof(Unit)))) {
      *block = grown;
      units = capacity;
    }
  }
  return units;
}

// Converts a returned list or pair back to internal text; the caller frees it.
template <typename Unit>
char* ToInternalMarked(Unit* (*pack)(const Unit*), const Unit* text, uint32_t* out_bytes) {
  Unit* packed = pack(text);
  char* converted = Platform<Unit>::ToInternal(packed, out_bytes);
  std::free(packed);
  UnpackMarkers(converted);
  return converted;
}

// Copies `bytes` of `text` (terminator included) into `buffer`; false when it did not fit, with
// what fits kept and ended by a terminator. A text that could not be converted leaves the
// empty text, never a stale one.
bool CopyBack(char* buffer, uint32_t capacity, const char* text, uint32_t bytes) {
  if (text == nullptr) {
    if (capacity != 0) buffer[0] = '\0';
    return false;
  }
  std::memcpy(buffer, text, std::min(capacity, bytes));
  if (bytes <= capacity) return true;
  if (capacity != 0) buffer[capacity - 1] = '\0';
  return false;
}

template <typename Unit>
bool CopyCustomFilterBack(const Unit* returned, OPENFILENAMEA* request) {
  uint32_t bytes = 0;
  char* pair = ToInternalMarked<Unit>(Platform<Unit>::Pair, returned, &bytes);
  const bool fits = CopyBack(request->lpstrCustomFilter, request->nMaxCustFilter, pair, bytes);
  std::free(pair);
  return fits;
}

template <typename Unit>
bool CopyFileBack(const Unit* returned, DWORD flags, OPENFILENAMEA* request) {
  const DWORD capacity = request->nMaxFile;
  const bool list = (flags & OFN_ALLOWMULTISELECT) != 0 && (flags & OFN_EXPLORER) != 0;
  uint32_t bytes = 0;
  char* file = list ? ToInternalMarked<Unit>(Platform<Unit>::List, returned, &bytes)
                    : Platform<Unit>::ToInternal(returned, &bytes);
  const bool fits = CopyBack(request->lpstrFile, capacity, file, bytes);
  std::free(file);
  // A cut list still has to end in two terminators.
  if (!fits && list && capacity >= 2) request->lpstrFile[capacity - 2] = '\0';
  return fits;
}

template <typename Unit>
bool CopyFileTitleBack(const Unit* returned, OPENFILENAMEA* request) {
  if (request->nMaxFileTitle != 0) request->lpstrFileTitle[0] = '\0';
  if (returned == nullptr) return true;  // the platform was given no room for it
  uint32_t bytes = 0;
  char* title = Platform<Unit>::ToInternal(returned, &bytes);
  const bool fits = CopyBack(request->lpstrFileTitle, request->nMaxFileTitle, title, bytes);
  std::free(title);
  return fits;
}

template <typename Unit>
uint32_t GetOpenFileNameAs(OPENFILENAMEA* request) {
  using Record = typename Platform<Unit>::Record;
  Record work;
  std::memcpy(&work, request, sizeof work);
  InboundBlocks<Unit> blocks;

  blocks.filter = ToPlatformMarked<Unit>(PackList, request->lpstrFilter, nullptr);
  work.lpstrFilter = blocks.filter;

  uint32_t units = 0;
  if (request->lpstrCustomFilter != nullptr) {
    blocks.custom_filter = ToPlatformMarked<Unit>(PackPair, request->lpstrCustomFilter, &units);
  }
  work.nMaxCustFilter = GrowTo(&blocks.custom_filter, units, request->nMaxCustFilter);
  work.lpstrCustomFilter = blocks.custom_filter;

  // The caller's byte capacity serves unchanged as a count of platform units, so the path
  // that comes back may not fit in internal text; CopyBack catches that.
  units = 0;
  blocks.file = Platform<Unit>::FromInternal(request->lpstrFile, &units);
  work.nMaxFile = GrowTo(&blocks.file, units, request->nMaxFile);
  work.lpstrFile = blocks.file;

  if (request->lpstrFileTitle != nullptr && request->nMaxFileTitle != 0) {
    blocks.file_title = static_cast<Unit*>(std::malloc(request->nMaxFileTitle * sizeof(Unit)));
    if (blocks.file_title != nullptr) blocks.file_title[0] = 0;
  }
  work.lpstrFileTitle = blocks.file_title;

  blocks.initial_dir = Platform<Unit>::FromInternal(request->lpstrInitialDir, nullptr);
  work.lpstrInitialDir = blocks.initial_dir;
  blocks.title = Platform<Unit>::FromInternal(request->lpstrTitle, nullptr);
  work.lpstrTitle = blocks.title;
  blocks.default_extension = Platform<Unit>::FromInternal(request->lpstrDefExt, nullptr);
  work.lpstrDefExt = blocks.default_extension;
  // Otherwise the field is an integer resource id, which passes as it is.
  if ((request->Flags & OFN_ENABLETEMPLATE) != 0 && !IS_INTRESOURCE(request->lpTemplateName)) {
    blocks.template_name = Platform<Unit>::FromInternal(request->lpTemplateName, nullptr);
    work.lpTemplateName = blocks.template_name;
  }

  if (!CallGetOpenFileName(&work)) return 0;

  uint32_t result = 1;
  // The filter the user typed is a convenience: a cut one costs nothing.
  if (request->lpstrCustomFilter != nullptr && work.lpstrCustomFilter != nullptr) {
    CopyCustomFilterBack(work.lpstrCustomFilter, request);
  }
  if (request->lpstrFile != nullptr) {
    if (!CopyFileBack(work.lpstrFile, work.Flags, request)) result = 0;
    // A buffer without room holds no text to measure.
    if (request->nMaxFile != 0) {
      ComputeFileOffsets(request->lpstrFile, &request->nFileOffset, &request->nFileExtension);
    }
  }
  if (request->lpstrFileTitle != nullptr && !CopyFileTitleBack(work.lpstrFileTitle, request)) {
    result = 0;
  }
  if (result == 0) {
    MessageBoxUtf8(request->hwndOwner, kPathTooLongText, kCommonControlErrorTitle,
                   kIconInformation);
  }
  return result;
}

}  // namespace

uint32_t GetOpenFileNameUtf8(OPENFILENAMEA* request) {
  if (request == nullptr) return 0;
  return wide_api_mode ? GetOpenFileNameAs<WideChar>(request) : GetOpenFileNameAs<char>(request);
}

// The platform converters with flags 0 and an input read through its terminator; code page 65001
// takes no default character, so none is passed for any code page.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <climits>

#include "code_page_converter.h"

namespace {

// The calls take an int capacity; anything larger than INT_MAX is room enough for any text.
int Capacity(uint32_t capacity) {
  return capacity > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(capacity);
}

uint32_t Count(int result) {
  return result > 0 ? static_cast<uint32_t>(result) : 0;
}

}  // namespace

uint32_t MultiByteToWide(uint32_t code_page, const char* text, WideChar* out, uint32_t capacity) {
  return Count(MultiByteToWideChar(code_page, 0, text, -1, out, Capacity(capacity)));
}

uint32_t WideToMultiByte(uint32_t code_page, const WideChar* text, char* out, uint32_t capacity) {
  return Count(
      WideCharToMultiByte(code_page, 0, text, -1, out, Capacity(capacity), nullptr, nullptr));
}

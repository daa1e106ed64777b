// Conversions between internal text and the platform's wide and ANSI text, static buffers first.
#include "conversion_buffers.h"

#include <cstddef>
#include <cstdlib>

#include "code_page_converter.h"
#include "text_modes.h"
#include "utf8_codec.h"

WideChar wide_buffer[kStaticBufferCapacity];
WideChar wide_ansi_buffer[kStaticBufferCapacity];
char utf8_buffer[kStaticBufferCapacity];
char ansi_buffer[kStaticBufferCapacity];
uint8_t wide_buffer_in_use = 0;
uint8_t wide_ansi_buffer_in_use = 0;
uint8_t utf8_buffer_in_use = 0;
uint8_t ansi_buffer_in_use = 0;

namespace {

uint32_t Convert(uint32_t code_page, const char* text, WideChar* out, uint32_t capacity) {
  return MultiByteToWide(code_page, text, out, capacity);
}

uint32_t Convert(uint32_t code_page, const WideChar* text, char* out, uint32_t capacity) {
  return WideToMultiByte(code_page, text, out, capacity);
}

template <typename Out, typename In>
Out* ConvertToHeap(uint32_t code_page, const In* text, uint32_t* out_count) {
  const uint32_t needed = Convert(code_page, text, static_cast<Out*>(nullptr), 0);
  if (needed == 0) return nullptr;
  auto* block = static_cast<Out*>(std::malloc(std::size_t{needed} * sizeof(Out)));
  if (block == nullptr) return nullptr;
  const uint32_t written = Convert(code_page, text, block, needed);
  if (written == 0) {
    std::free(block);
    return nullptr;
  }
  if (out_count != nullptr) *out_count = written;
  return block;
}

// The common short text costs one converter call and no allocation; only a text that does not
// fit, or a buffer already holding a live result, pays for the size query and the heap block.
template <typename Out, typename In>
Out* ConvertStaticFirst(uint32_t code_page, const In* text, Out* buffer, uint8_t* in_use,
                        uint32_t* out_count) {
  if (*in_use == 0) {
    const uint32_t written = Convert(code_page, text, buffer, kStaticBufferCapacity);
    if (written != 0) {
      *in_use = 1;
      if (out_count != nullptr) *out_count = written;
      return buffer;
    }
  }
  return ConvertToHeap<Out>(code_page, text, out_count);
}

}  // namespace

WideChar* ToWide(const char* text) {
  if (text == nullptr) return nullptr;
  if (utf8_code_page_valid != 0) {
    return ConvertStaticFirst(kCodePageUtf8, text, wide_buffer, &wide_buffer_in_use, nullptr);
  }
  return DecodeUtf8(text, true, nullptr);
}

char* FromWide(const WideChar* text, uint32_t* out_bytes) {
  if (out_bytes != nullptr) *out_bytes = 0;
  if (text == nullptr) return nullptr;
  if (utf8_code_page_valid != 0) {
    return ConvertStaticFirst(kCodePageUtf8, text, utf8_buffer, &utf8_buffer_in_use, out_bytes);
  }
  return EncodeUtf8(text, true, out_bytes);
}

char* FromAnsi(const char* text, uint32_t* out_bytes) {
  if (out_bytes != nullptr) *out_bytes = 0;
  if (text == nullptr) return nullptr;
  WideChar* wide =
      ConvertStaticFirst(kCodePageAnsi, text, wide_ansi_buffer, &wide_ansi_buffer_in_use, nullptr);
  if (wide == nullptr) return nullptr;
  char* result = FromWide(wide, out_bytes);
  ReleaseWide(wide);
  return result;
}

char* ToAnsi(const char* text) {
  WideChar* wide = ToWide(text);
  if (wide == nullptr) return nullptr;
  char* result = ConvertStaticFirst(kCodePageAnsi, wide, ansi_buffer, &ansi_buffer_in_use, nullptr);
  ReleaseWide(wide);
  return result;
}

WideChar* ToWideAlloc(const char* text, uint32_t* out_units) {
  if (out_units != nullptr) *out_units = 0;
  if (text == nullptr) return nullptr;
  if (utf8_code_page_valid != 0) return ConvertToHeap<WideChar>(kCodePageUtf8, text, out_units);
  return DecodeUtf8(text, false, out_units);
}

char* FromWideAlloc(const WideChar* text, uint32_t* out_bytes) {
  if (out_bytes != nullptr) *out_bytes = 0;
  if (text == nullptr) return nullptr;
  if (utf8_code_page_valid != 0) return ConvertToHeap<char>(kCodePageUtf8, text, out_bytes);
  return EncodeUtf8(text, false, out_bytes);
}

char* FromAnsiAlloc(const char* text, uint32_t* out_bytes) {
  if (out_bytes != nullptr) *out_bytes = 0;
  if (text == nullptr) return nullptr;
  WideChar* wide = ConvertToHeap<WideChar>(kCodePageAnsi, text, nullptr);
  if (wide == nullptr) return nullptr;
  char* result = FromWideAlloc(wide, out_bytes);
  std::free(wide);
  return result;
}

char* ToAnsiAlloc(const char* text, uint32_t* out_bytes) {
  if (out_bytes != nullptr) *out_bytes = 0;
  WideChar* wide = ToWideAlloc(text, nullptr);
  if (wide == nullptr) return nullptr;
  char* result = ConvertToHeap<char>(kCodePageAnsi, wide, out_bytes);
  std::free(wide);
  return result;
}

// A static buffer must never reach free(), so each kind checks its own buffers first.
void ReleaseNarrow(char* text) {
  if (text == utf8_buffer) {
    utf8_buffer_in_use = 0;
  } else if (text == ansi_buffer) {
    ansi_buffer_in_use = 0;
  } else {
    std::free(text);
  }
}

void ReleaseWide(WideChar* text) {
  if (text == wide_buffer) {
    wide_buffer_in_use = 0;
  } else if (text == wide_ansi_buffer) {
    wide_ansi_buffer_in_use = 0;
  } else {
    std::free(text);
  }
}

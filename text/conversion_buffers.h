// Conversions between internal text (UTF-8) and the platform's wide (UTF-16) and ANSI text.
// Short results live in four static buffers, each free for one live result at a time; a
// conversion whose buffer is taken, or whose result does not fit, uses a heap block instead.
// Release each result with the release of its kind, right after the platform call that used it.
#pragma once

#include <cstdint>

#include "wide_char.h"

inline constexpr uint32_t kStaticBufferCapacity = 4096;  // units of the buffer's kind

extern WideChar wide_buffer[kStaticBufferCapacity];
extern WideChar wide_ansi_buffer[kStaticBufferCapacity];
extern char utf8_buffer[kStaticBufferCapacity];
extern char ansi_buffer[kStaticBufferCapacity];
extern uint8_t wide_buffer_in_use;
extern uint8_t wide_ansi_buffer_in_use;
extern uint8_t utf8_buffer_in_use;
extern uint8_t ansi_buffer_in_use;

// Static-capable conversions; counts include the terminator. Null on failure or null input.
WideChar* ToWide(const char* text);                         // may take wide_buffer
char* FromWide(const WideChar* text, uint32_t* out_bytes);  // may take utf8_buffer
char* FromAnsi(const char* text, uint32_t* out_bytes);      // wide_ansi_buffer, utf8_buffer
char* ToAnsi(const char* text);                             // wide_buffer, ansi_buffer

// Heap-only conversions; the caller frees the result with free().
WideChar* ToWideAlloc(const char* text, uint32_t* out_units);
char* FromWideAlloc(const WideChar* text, uint32_t* out_bytes);
char* FromAnsiAlloc(const char* text, uint32_t* out_bytes);
char* ToAnsiAlloc(const char* text, uint32_t* out_bytes);

// Release a result of the static-capable conversions; null is ignored.
void ReleaseNarrow(char* text);
void ReleaseWide(WideChar* text);

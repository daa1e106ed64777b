// Text-taking Win32 calls on internal text: the wide (W) form in wide-API mode, else the
// narrow (A) form, with the text converted for the call and released right after it.
#pragma once

#include <windows.h>

#include "conversion_buffers.h"
#include "text_modes.h"

// Makes `wide_call` or `narrow_call` with `text` converted for it; a text that cannot be
// converted is passed as none, and the call is still made.
template <typename WideCall, typename NarrowCall>
auto DualCall(const char* text, WideCall wide_call, NarrowCall narrow_call) {
  if (wide_api_mode) {
    WideChar* wide_text = ToWide(text);
    const auto result = wide_call(wide_text);
    ReleaseWide(wide_text);
    return result;
  }
  char* ansi_text = ToAnsi(text);
  const auto result = narrow_call(ansi_text);
  ReleaseNarrow(ansi_text);
  return result;
}

HMODULE LoadLibraryUtf8(const char* name);

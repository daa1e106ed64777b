#include "window_text_utf8.h"

#include "dual_calls.h"

BOOL SetWindowTextUtf8(HWND window, const char* text) {
  return DualCall(
      text, [window](const WideChar* wide) { return SetWindowTextW(window, wide); },
      [window](const char* ansi) { return SetWindowTextA(window, ansi); });
}

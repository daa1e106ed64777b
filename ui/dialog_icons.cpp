#include "dialog_icons.h"

#include "dual_calls.h"
#include "instance_handle.h"
#include "resource_ids.h"

namespace {

// The images of icon 1 below 256 pixels.
constexpr int kSmallImageSizes[] = {16, 20, 22, 24, 26, 32, 48};
constexpr int kLargestImageSize = 256;
constexpr int kSmallestImageSize = 16;
// From this width on, the nearest image is too small to blow up.
constexpr int kShrinkFromLargestWidth = 32;
constexpr DWORD kVersionInfoSize = 148;  // OSVERSIONINFOA, as every Windows accepts it
// Windows Vista: the first to show a 256-pixel big icon.
constexpr DWORD kLargeImageMajorVersion = 6;
constexpr int kLargeImageMetric = 22;

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);

template <typename Function>
Function LookUp(HMODULE library, const char* name) {
  const FARPROC found = GetProcAddress(library, name);
  // Through a plain function pointer type: FARPROC's own signature is unrelated.
  return found != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found))
                          : nullptr;
}

void SetIcon(HWND window, WPARAM kind, int width, int height) {
  const HANDLE icon =
      LoadImageA(instance_handle, MAKEINTRESOURCEA(IDI_ROMSPAN), IMAGE_ICON, width, height, 0);
  SendMessageA(window, WM_SETICON, kind, reinterpret_cast<LPARAM>(icon));
}

}  // namespace

void FitSmallIconSize(int* width, int* height) {
  for (const int size : kSmallImageSizes) {
    if (*width == size) return;
  }
  *width = *width < kShrinkFromLargestWidth ? kSmallestImageSize : kLargestImageSize;
  *height = *width;
}

bool GetSmallIconSizeForDpi(HWND window, int* width, int* height) {
  // Both calls arrived with Windows 10 1607; older systems scale the system metrics themselves.
  const HMODULE user32 = LoadLibraryUtf8("user32");
  if (user32 == nullptr) return false;
  const auto get_dpi = LookUp<GetDpiForWindowFunction>(user32, "GetDpiForWindow");
  const auto get_metrics = LookUp<GetSystemMetricsForDpiFunction>(user32, "GetSystemMetricsForDpi");
  const bool found = get_dpi != nullptr && get_metrics != nullptr;
  if (found) {
    const UINT dpi = get_dpi(window);
    *width = get_metrics(SM_CXSMICON, dpi);
    *height = get_metrics(SM_CYSMICON, dpi);
    FitSmallIconSize(width, height);
  }
  FreeLibrary(user32);
  return found;
}

void SetSmallIcon(HWND window) {
  int width = 0;
  int height = 0;
  if (!GetSmallIconSizeForDpi(window, &width, &height)) {
    width = GetSystemMetrics(SM_CXSMICON);
    height = GetSystemMetrics(SM_CYSMICON);
  }
  SetIcon(window, ICON_SMALL, width, height);
}

void SetBigIcon(HWND window) {
  int width = GetSystemMetrics(SM_CXICON);
  int height = GetSystemMetrics(SM_CYICON);
  if (width > kLargeImageMetric) {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = kVersionInfoSize;
    GetVersionExA(&version);
    if (version.dwMajorVersion >= kLargeImageMajorVersion) {
      width = kLargestImageSize;
      height = kLargestImageSize;
    }
  }
  SetIcon(window, ICON_BIG, width, height);
}

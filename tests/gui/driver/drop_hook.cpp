// Loaded by Wine into the program gui_driver hooks: turns a "romspan-test-drop" message posted
// to one of its windows into WM_DROPFILES carrying the files the clipboard's text names, one a
// line. The drop's memory is the program's own, as it is when Explorer drops files.
#include <shlobj.h>
#include <windows.h>

#include <cstring>
#include <string>

extern "C" __declspec(dllexport) LRESULT CALLBACK
    DropHook(int code, WPARAM removed, LPARAM message) {
  MSG& posted = *reinterpret_cast<MSG*>(message);
  if (code == HC_ACTION && removed == PM_REMOVE &&
      posted.message == RegisterWindowMessageW(L"romspan-test-drop") && OpenClipboard(nullptr)) {
    std::wstring paths;
    if (HANDLE text = GetClipboardData(CF_UNICODETEXT)) {
      paths = static_cast<const wchar_t*>(GlobalLock(text));
      GlobalUnlock(text);
    }
    CloseClipboard();
    for (wchar_t& unit : paths) unit = unit == L'\n' ? L'\0' : unit;
    paths.append(2, L'\0');
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + paths.size() * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(files + 1, paths.data(), paths.size() * sizeof(wchar_t));
    GlobalUnlock(drop);
    posted.message = WM_DROPFILES;
    posted.wParam = reinterpret_cast<WPARAM>(drop);
  }
  return CallNextHookEx(nullptr, code, removed, message);
}

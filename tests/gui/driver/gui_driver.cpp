// Acts on the windows of another Windows program in the same Wine session through ordinary
// Win32 calls and prints what it finds as UTF-8 lines on standard output, texts in double quotes.
// Exit code 0 when every command did what it was asked, 1 otherwise with the reason on standard
// error. One command from the arguments, or "batch" and one command a line (words separated by
// tabs) from standard input.
//
//   wait TITLE SECONDS          until a visible top-level window has that exact title
//   wait-gone TITLE SECONDS     until that window has gone
//   dump TITLE                  the window, then every child: id, kind, flags, place, text
//   click TITLE ID              posts a click to child ID (a modal box it opens cannot block us)
//   click-done TITLE ID         clicks child ID and waits until the program has handled it
//   set-check TITLE ID 0|1      sets a button's check mark directly, as no click can
//   close TITLE                 posts the system menu's Close
//   rect TITLE                  the window's screen rectangle: left top width height
//   centre TITLE ID|close       the screen point at the middle of child ID or of the close box
//   chooser SECONDS             the open-file dialog: owner, caption, proposed name, filters
//   chooser-rect SECONDS        the open-file dialog's screen rectangle
//   choose TEXT SECONDS         puts TEXT in the open-file dialog's file-name box and opens it
//   accept-chooser SECONDS      opens what the open-file dialog proposes
//   cancel-chooser SECONDS      cancels the open-file dialog and waits until it has gone
//   messages COUNT SECONDS      reads COUNT message boxes in turn, closing each with its button
//   idle TITLE SECONDS          the window is enabled and owns nothing, and stays so a while
//   version-info EXE            the strings of a program's version block
//   hold FILE SECONDS           keeps FILE open with no sharing, after printing "held"
//   echo WORDS...               prints the words, to mark places in a batch's output
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

void Print(const std::string& line) {
  const std::string with_end = line + "\n";
  std::fwrite(with_end.data(), 1, with_end.size(), stdout);
}

[[noreturn]] void Fail(const std::string& why) {
  std::fflush(stdout);
  const std::string with_end = "gui_driver: " + why + "\n";
  std::fwrite(with_end.data(), 1, with_end.size(), stderr);
  std::exit(1);
}

// A text in double quotes, so that blanks at its ends show; line breaks, tabs, quotes and
// backslashes are written as escapes to keep one item a line.
std::string Quoted(const std::wstring& text) {
  std::string out = "\"";
  for (const char c : Utf8(text)) {
    switch (c) {
      case '\r':
        out += "\\r";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      default:
        out += c;
    }
  }
  return out + "\"";
}

// A hung target must not hang the driver: every message sent waits at most this long.
constexpr UINT kSendTimeoutMs = 5000;

LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendTimeoutMs,
                           &result)) {
    Fail("window " + std::to_string(reinterpret_cast<uintptr_t>(window)) +
         " did not answer message " + std::to_string(message));
  }
  return static_cast<LRESULT>(result);
}

std::wstring Text(HWND window) {
  const LRESULT length = Send(window, WM_GETTEXTLENGTH);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT got = Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<size_t>(got));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> found;
  EnumWindows(
      [](HWND window, LPARAM list) -> BOOL {
        if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Direct children in z-order, which for a dialog is the template order.
std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    found.push_back(child);
  }
  return found;
}

// Read without sending a message, so that a busy program cannot stall the search.
std::wstring StoredText(HWND window) {
  wchar_t text[1024] = {};
  InternalGetWindowText(window, text, 1024);
  return text;
}

std::string ListTopLevel() {
  std::string list;
  for (HWND window : TopLevelWindows()) {
    list += "\n  " + Quoted(StoredText(window)) + " class " + Utf8(ClassOf(window));
  }
  return list.empty() ? " none" : list;
}

HWND FindTitled(const std::wstring& title) {
  for (HWND window : TopLevelWindows()) {
    if (StoredText(window) == title) return window;
  }
  return nullptr;
}

// Polls `found` until it gives a window or the time is up.
template <typename Find>
HWND WaitFor(Find found, double seconds) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (HWND window = found()) return window;
    if (Clock::now() > end) return nullptr;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

HWND NeedTitled(const std::wstring& title) {
  HWND window = FindTitled(title);
  if (!window) Fail("no window \"" + Utf8(title) + "\"; top-level windows:" + ListTopLevel());
  return window;
}

HWND NeedChild(HWND parent, int id) {
  HWND child = GetDlgItem(parent, id);
  if (!child) Fail("no control " + std::to_string(id) + " in " + Quoted(Text(parent)));
  return child;
}

// ---- dialog units -------------------------------------------------------------------------------

// The base units the dialog manager derives from "MS Shell Dlg" 8 point, the font of every
// dialog under test; places are printed in dialog units so that they read like the template.
SIZE BaseUnits() {
  HDC screen = GetDC(nullptr);
  LOGFONTW font = {};
  font.lfHeight = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  wcscpy(font.lfFaceName, L"MS Shell Dlg");
  HFONT handle = CreateFontIndirectW(&font);
  HGDIOBJ old = SelectObject(screen, handle);
  // As GdiGetCharDimensions, which the dialog manager uses, computes them.
  TEXTMETRICW metrics;
  GetTextMetricsW(screen, &metrics);
  SIZE extent;
  const wchar_t alphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  GetTextExtentPointW(screen, alphabet, 52, &extent);
  const LONG width = (extent.cx / 26 + 1) / 2;
  const LONG height = metrics.tmHeight;
  SelectObject(screen, old);
  DeleteObject(handle);
  ReleaseDC(nullptr, screen);
  return {width, height};
}

// The dialog-unit value that the dialog manager maps to `pixels`, or the pixels marked "px".
std::string Units(LONG pixels, LONG base, int per) {
  for (int units = 0; units <= 4 * pixels + 8; ++units) {
    if (MulDiv(units, base, per) == pixels) return std::to_string(units);
  }
  return std::to_string(pixels) + "px";
}

std::string Place(HWND window, HWND dialog, SIZE base) {
  RECT rect;
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
  return Units(rect.left, base.cx, 4) + "," + Units(rect.top, base.cy, 8) + "," +
         Units(rect.right - rect.left, base.cx, 4) + "," +
         Units(rect.bottom - rect.top, base.cy, 8);
}

// ---- dump ---------------------------------------------------------------------------------------

std::string Kind(HWND control) {
  const std::wstring type = ClassOf(control);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  if (lstrcmpiW(type.c_str(), L"Button") == 0) {
    switch (style & BS_TYPEMASK) {
      case BS_PUSHBUTTON:
        return "pushbutton";
      case BS_DEFPUSHBUTTON:
        return "defpushbutton";
      case BS_CHECKBOX:
        return "checkbox";
      case BS_AUTOCHECKBOX:
        return "autocheckbox";
      case BS_RADIOBUTTON:
        return "radiobutton";
      case BS_AUTORADIOBUTTON:
        return "autoradiobutton";
      case BS_GROUPBOX:
        return "groupbox";
      default:
        return "button-" + std::to_string(style & BS_TYPEMASK);
    }
  }
  if (lstrcmpiW(type.c_str(), L"Static") == 0) {
    switch (style & SS_TYPEMASK) {
      case SS_LEFT:
        return "static-left";
      case SS_CENTER:
        return "static-centre";
      case SS_RIGHT:
        return "static-right";
      case SS_ICON:
        return "static-icon";
      default:
        return "static-" + std::to_string(style & SS_TYPEMASK);
    }
  }
  return Utf8(type);
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                            : nullptr;
}

std::string ControlFlags(HWND control, HWND focus) {
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  std::string flags;
  const auto add = [&flags](bool on, const char* name) {
    if (on) flags += flags.empty() ? name : std::string(" ") + name;
  };
  add(style & WS_GROUP, "group");
  add(style & WS_TABSTOP, "tabstop");
  add(!(style & WS_VISIBLE), "hidden");
  add(style & WS_DISABLED, "disabled");
  const std::wstring type = ClassOf(control);
  const LONG button = style & BS_TYPEMASK;
  if (lstrcmpiW(type.c_str(), L"Button") == 0 && button != BS_GROUPBOX && button != BS_PUSHBUTTON &&
      button != BS_DEFPUSHBUTTON) {
    add(Send(control, BM_GETCHECK) == BST_CHECKED, "checked");
  }
  add(control == focus, "focus");
  return flags.empty() ? "-" : flags;
}

std::string WindowFlags(HWND window) {
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  const LONG extended = GetWindowLongW(window, GWL_EXSTYLE);
  std::string flags;
  const auto add = [&flags](bool on, const char* name) {
    if (on) flags += flags.empty() ? name : std::string(" ") + name;
  };
  add(style & WS_POPUP, "popup");
  add((style & WS_CAPTION) == WS_CAPTION, "caption");
  add(style & WS_SYSMENU, "sysmenu");
  add(style & WS_MINIMIZEBOX, "minimizebox");
  add(style & WS_MAXIMIZEBOX, "maximizebox");
  add(style & WS_THICKFRAME, "sizeframe");
  add(style & WS_DISABLED, "disabled");
  add(IsIconic(window), "minimized");
  add(extended & WS_EX_APPWINDOW, "appwindow");
  add(extended & WS_EX_DLGMODALFRAME, "modalframe");
  return flags.empty() ? "-" : flags;
}

std::string OwnerTitle(HWND window) {
  HWND owner = GetWindow(window, GW_OWNER);
  return owner ? Quoted(Text(owner)) : "none";
}

// One line for the window, then one per child: id, kind, flags, place, text.
void Dump(HWND dialog) {
  const SIZE base = BaseUnits();
  RECT client;
  GetClientRect(dialog, &client);
  Print("window\t" + Utf8(ClassOf(dialog)) + "\t" + WindowFlags(dialog) + "\t" +
        Units(client.right, base.cx, 4) + "x" + Units(client.bottom, base.cy, 8) + "\towner " +
        OwnerTitle(dialog) + "\t" + Quoted(Text(dialog)));
  const HWND focus = FocusOf(dialog);
  for (HWND child : Children(dialog)) {
    Print(std::to_string(static_cast<WORD>(GetDlgCtrlID(child))) + "\t" + Kind(child) + "\t" +
          ControlFlags(child, focus) + "\t" + Place(child, dialog, base) + "\t" +
          Quoted(Text(child)));
  }
}

// ---- the open-file dialog ---------------------------------------------------------------------

constexpr int kFileNameCombo = 0x47C;  // cmb13, the file-name box of the newer layout
constexpr int kFileNameEdit = 0x480;   // edt1, the file-name box of the older layout
constexpr int kFileTypeCombo = 0x470;  // cmb1

HWND FileNameBox(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, kFileNameCombo)) return combo;
  return GetDlgItem(dialog, kFileNameEdit);
}

HWND FindChooser() {
  for (HWND window : TopLevelWindows()) {
    if (ClassOf(window) == L"#32770" && FileNameBox(window) && GetDlgItem(window, kFileTypeCombo)) {
      return window;
    }
  }
  return nullptr;
}

HWND NeedChooser(double seconds) {
  HWND chooser = WaitFor(FindChooser, seconds);
  if (!chooser) Fail("no open-file dialog appeared; top-level windows:" + ListTopLevel());
  return chooser;
}

void DescribeChooser(HWND chooser) {
  Print("owner\t" + OwnerTitle(chooser));
  Print("caption\t" + Quoted(Text(chooser)));
  Print("name\t" + Quoted(Text(FileNameBox(chooser))));
  HWND types = GetDlgItem(chooser, kFileTypeCombo);
  const LRESULT count = Send(types, CB_GETCOUNT);
  const LRESULT selected = Send(types, CB_GETCURSEL);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring item(static_cast<size_t>(Send(types, CB_GETLBTEXTLEN, i)) + 1, L'\0');
    item.resize(
        static_cast<size_t>(Send(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
    Print("filter\t" + Quoted(item) + (i == selected ? "\tselected" : ""));
  }
}

void WaitUntilDestroyed(HWND window, double seconds, const std::string& what) {
  if (!WaitFor([window] { return IsWindow(window) ? nullptr : window; }, seconds)) {
    Fail(what + " did not close; top-level windows:" + ListTopLevel());
  }
}

// ---- message boxes ------------------------------------------------------------------------------

constexpr int kMessageText = 0xFFFF;

HWND FindMessageBox() {
  for (HWND window : TopLevelWindows()) {
    if (ClassOf(window) == L"#32770" && GetDlgItem(window, kMessageText) &&
        IsWindowEnabled(window)) {
      return window;
    }
  }
  return nullptr;
}

// The message box's icon, told apart by its pixels on the screen against the system icons drawn
// the same way here: icon handles belong to the process that loaded them.
std::string IconKind(HWND box) {
  HWND icon_control = nullptr;
  for (HWND child : Children(box)) {
    const LONG style = GetWindowLongW(child, GWL_STYLE);
    if (ClassOf(child) == L"Static" && (style & SS_TYPEMASK) == SS_ICON) icon_control = child;
  }
  if (!icon_control || !IsWindowVisible(icon_control) || !Send(icon_control, STM_GETICON)) {
    return "none";
  }
  RECT rect;
  GetWindowRect(icon_control, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
  const auto pixels = [&] {
    GdiFlush();
    const auto* first = static_cast<const uint32_t*>(bits);
    std::vector<uint32_t> copy(first, first + size);
    for (uint32_t& pixel : copy) pixel &= 0xFFFFFF;
    return copy;
  };
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  const std::vector<uint32_t> shown = pixels();
  std::string kind = "unknown";
  const struct {
    LPCSTR id;
    const char* name;
  } candidates[] = {{IDI_INFORMATION, "information"},
                    {IDI_WARNING, "warning"},
                    {IDI_ERROR, "error"},
                    {IDI_QUESTION, "question"}};
  for (const auto& candidate : candidates) {
    RECT all = {0, 0, width, height};
    FillRect(memory, &all, GetSysColorBrush(COLOR_3DFACE));
    DrawIconEx(memory, 0, 0, LoadIconA(nullptr, candidate.id), 0, 0, 0, nullptr, DI_NORMAL);
    if (pixels() == shown) kind = candidate.name;
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return kind;
}

void ReadAndCloseMessage(HWND box) {
  Print("owner\t" + OwnerTitle(box));
  Print("title\t" + Quoted(Text(box)));
  Print("text\t" + Quoted(Text(GetDlgItem(box, kMessageText))));
  Print("icon\t" + IconKind(box));
  std::string buttons;
  HWND first_button = nullptr;
  for (HWND child : Children(box)) {
    const LONG type = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
    if (ClassOf(child) == L"Button" && IsWindowVisible(child) &&
        (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
      buttons += (buttons.empty() ? "" : " ") + Quoted(Text(child));
      if (!first_button) first_button = child;
    }
  }
  Print("buttons\t" + buttons);
  if (!first_button) Fail("the message box has no button");
  PostMessageW(first_button, BM_CLICK, 0, 0);
  WaitUntilDestroyed(box, 10, "the message box");
}

// The window has finished what it was doing: its thread answers messages again, it is enabled and
// owns no visible window, and that holds for a while, so that a box about to appear is seen.
void WaitIdle(HWND window, double seconds) {
  const auto end = Clock::now() + std::chrono::duration<double>(seconds);
  auto quiet_since = Clock::now();
  std::string busy;
  for (;;) {
    Send(window, WM_NULL);
    busy.clear();
    if (!IsWindowEnabled(window)) busy = " it is disabled;";
    for (HWND other : TopLevelWindows()) {
      if (GetWindow(other, GW_OWNER) == window) {
        busy += " it owns " + Quoted(Text(other)) + " (" + Utf8(ClassOf(other)) + ");";
      }
    }
    const auto now = Clock::now();
    if (!busy.empty()) quiet_since = now;
    if (now - quiet_since > std::chrono::milliseconds(300)) return;
    if (now > end) Fail(Quoted(Text(window)) + " is not idle:" + busy);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// ---- screen points ----------------------------------------------------------------------------

POINT Centre(const RECT& rect) {
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Where the close box is, asked of the window itself along the middle of its caption.
POINT CloseBox(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  const int y = rect.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2;
  int right = -1, left = -1;
  for (int x = rect.right - 1; x > rect.left; --x) {
    const bool close = Send(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)) == HTCLOSE;
    if (close && right < 0) right = x;
    if (!close && right >= 0) {
      left = x + 1;
      break;
    }
  }
  if (right < 0) Fail("no close box in " + Quoted(Text(window)));
  return {(left + right) / 2, y};
}

// ---- version block
// -------------------------------------------------------------------------------

void VersionInfo(const std::wstring& file) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  std::vector<BYTE> block(size);
  if (size == 0 || !GetFileVersionInfoW(file.c_str(), 0, size, block.data())) {
    Fail("no version block in " + Utf8(file));
  }
  struct Translation {
    WORD language, code_page;
  };
  Translation* translations = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation)) {
    Fail("the version block has no translation");
  }
  wchar_t prefix[64];
  swprintf(prefix, 64, L"\\StringFileInfo\\%04x%04x\\", translations->language,
           translations->code_page);
  char translation[32];
  std::snprintf(translation, sizeof(translation), "%04X %04X", translations->language,
                translations->code_page);
  Print(std::string("Translation\t") + translation);
  for (const wchar_t* key :
       {L"CompanyName", L"FileDescription", L"FileVersion", L"InternalName", L"LegalCopyright",
        L"LegalTrademarks", L"OriginalFilename", L"ProductName", L"ProductVersion", L"Comments"}) {
    wchar_t* value = nullptr;
    const std::wstring path = std::wstring(prefix) + key;
    if (VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) {
      Print(Utf8(key) + "\t" + Quoted(std::wstring(value, wcsnlen(value, length))));
    }
  }
}

double Seconds(const std::wstring& text) {
  return std::wcstod(text.c_str(), nullptr);
}
int Number(const std::wstring& text) {
  return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}

void RunCommand(const std::vector<std::wstring>& words) {
  const std::wstring command = words.empty() ? L"" : words[0];
  const auto need = [&](size_t count) {
    if (words.size() != count + 1) Fail("wrong number of arguments for " + Utf8(command));
  };
  if (command == L"wait") {
    need(2);
    if (!WaitFor([&] { return FindTitled(words[1]); }, Seconds(words[2]))) {
      Fail("no window \"" + Utf8(words[1]) + "\" appeared; top-level windows:" + ListTopLevel());
    }
  } else if (command == L"wait-gone") {
    need(2);
    if (HWND window = FindTitled(words[1])) {
      WaitUntilDestroyed(window, Seconds(words[2]), "\"" + Utf8(words[1]) + "\"");
    }
  } else if (command == L"dump") {
    need(1);
    Dump(NeedTitled(words[1]));
  } else if (command == L"click") {
    need(2);
    PostMessageW(NeedChild(NeedTitled(words[1]), Number(words[2])), BM_CLICK, 0, 0);
  } else if (command == L"click-done") {
    need(2);
    // Sent, not posted: it returns once the program has handled the click, which is only safe
    // for a click that opens no modal window.
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(NeedChild(NeedTitled(words[1]), Number(words[2])), BM_CLICK, 0, 0,
                             SMTO_ABORTIFHUNG, kSendTimeoutMs, &ignored)) {
      Fail("the click on " + Utf8(words[2]) + " was still being handled after " +
           std::to_string(kSendTimeoutMs / 1000) + " s; top-level windows:" + ListTopLevel());
    }
  } else if (command == L"set-check") {
    need(3);
    Send(NeedChild(NeedTitled(words[1]), Number(words[2])), BM_SETCHECK,
         Number(words[3]) ? BST_CHECKED : BST_UNCHECKED);
  } else if (command == L"close") {
    need(1);
    PostMessageW(NeedTitled(words[1]), WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (command == L"rect") {
    need(1);
    RECT rect;
    GetWindowRect(NeedTitled(words[1]), &rect);
    Print(std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
          std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top));
  } else if (command == L"chooser-rect") {
    need(1);
    RECT rect;
    GetWindowRect(NeedChooser(Seconds(words[1])), &rect);
    Print(std::to_string(rect.left) + " " + std::to_string(rect.top) + " " +
          std::to_string(rect.right - rect.left) + " " + std::to_string(rect.bottom - rect.top));
  } else if (command == L"centre") {
    need(2);
    HWND window = NeedTitled(words[1]);
    POINT point;
    if (words[2] == L"close") {
      point = CloseBox(window);
    } else {
      RECT rect;
      GetWindowRect(NeedChild(window, Number(words[2])), &rect);
      point = Centre(rect);
    }
    Print(std::to_string(point.x) + " " + std::to_string(point.y));
  } else if (command == L"chooser") {
    need(1);
    DescribeChooser(NeedChooser(Seconds(words[1])));
  } else if (command == L"choose") {
    need(2);
    HWND chooser = NeedChooser(Seconds(words[2]));
    Send(FileNameBox(chooser), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(words[1].c_str()));
    PostMessageW(NeedChild(chooser, IDOK), BM_CLICK, 0, 0);
  } else if (command == L"accept-chooser") {
    need(1);
    PostMessageW(NeedChild(NeedChooser(Seconds(words[1])), IDOK), BM_CLICK, 0, 0);
  } else if (command == L"cancel-chooser") {
    need(1);
    HWND chooser = NeedChooser(Seconds(words[1]));
    PostMessageW(NeedChild(chooser, IDCANCEL), BM_CLICK, 0, 0);
    WaitUntilDestroyed(chooser, 10, "the open-file dialog");
  } else if (command == L"messages") {
    need(2);
    const int count = Number(words[1]);
    for (int i = 0; i < count; ++i) {
      HWND box = WaitFor(FindMessageBox, Seconds(words[2]));
      if (!box) Fail("message box " + std::to_string(i + 1) + " did not appear;" + ListTopLevel());
      ReadAndCloseMessage(box);
    }
  } else if (command == L"idle") {
    need(2);
    WaitIdle(NeedTitled(words[1]), Seconds(words[2]));
  } else if (command == L"version-info") {
    need(1);
    VersionInfo(words[1]);
  } else if (command == L"hold") {
    need(2);
    HANDLE file =
        CreateFileW(words[1].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("cannot open " + Utf8(words[1]));
    Print("held");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(Seconds(words[2]) * 1000));
    CloseHandle(file);
  } else if (command == L"echo") {
    std::string line;
    for (size_t i = 1; i < words.size(); ++i) line += (i > 1 ? " " : "") + Utf8(words[i]);
    Print(line);
  } else {
    Fail("unknown command \"" + Utf8(command) + "\"");
  }
}

std::wstring Wide(const std::string& text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

// Commands from standard input, one a line with tab-separated words: a whole sequence of steps
// then costs one start of a Windows program instead of one each.
void RunBatch() {
  std::string input;
  char chunk[4096];
  for (size_t got; (got = std::fread(chunk, 1, sizeof(chunk), stdin)) > 0;)
    input.append(chunk, got);
  size_t start = 0;
  while (start < input.size()) {
    size_t end = input.find('\n', start);
    if (end == std::string::npos) end = input.size();
    std::string line = input.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::vector<std::wstring> words;
    for (size_t from = 0;;) {
      const size_t tab = line.find('\t', from);
      words.push_back(Wide(line.substr(from, tab - from)));
      if (tab == std::string::npos) break;
      from = tab + 1;
    }
    RunCommand(words);
    std::fflush(stdout);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Lines end in "\n" alone, as the scripts that read them expect.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
  if (argc == 2 && std::wstring(argv[1]) == L"batch") {
    RunBatch();
  } else {
    RunCommand(std::vector<std::wstring>(argv + 1, argv + argc));
  }
  std::fflush(stdout);
  return 0;
}

// Acts on another program's windows in the same Wine session through ordinary Win32 calls and
// prints what it finds as UTF-8 lines, texts in double quotes. Exit code 0 when every command did
// what it was asked, 1 otherwise with the reason on standard error; every wait gives up after a
// minute. One command from the arguments, or "batch" and one command a line (words separated by
// tabs) from standard input: a whole sequence then costs one start of a Windows program.
//
//   wait TITLE | gone TITLE    until a visible top-level window has (no longer has) that title
//   dump TITLE                 the window, then every child: id, kind, flags, text
//   click TITLE ID             posts a click to child ID (a modal box it opens cannot block us)
//   close TITLE                posts the system menu's Close
//   rect TITLE                 the window's screen rectangle: left top width height
//   centre TITLE ID            the screen point at the middle of child ID
//   chooser                    the open-file dialog: owner, caption, proposed name, filters
//   choose TEXT                opens TEXT in the open-file dialog
//   cancel                     cancels the open-file dialog and waits until it has gone
//   messages COUNT             reads COUNT message boxes in turn, closing each with its button
//   idle TITLE                 the window is enabled and owns nothing, and stays so a while
//   drop TITLE FILE...         drops the files on the window, as Explorer does (drop_hook.dll)
//   unwritable KEY             makes HKEY_CURRENT_USER\KEY a link to nowhere, which no program
//                              can open or create, until the Wine session ends
//   text TITLE ID | clipboard  the text of child ID, or the clipboard's, as it is
//   hold FILE SECONDS [SHARE]  keeps FILE open for reading, after printing "held", sharing what
//                              SHARE's letters say: r reading, w writing, d deleting (none)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string Utf8(const std::wstring& text) {
  std::string out(text.size() * 3, '\0');
  out.resize(WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(),
                                 int(out.size()), nullptr, nullptr));
  return out;
}

[[noreturn]] void Fail(const std::string& why) {
  std::fflush(stdout);
  std::fprintf(stderr, "gui_driver: %s\n", why.c_str());
  std::exit(1);
}

// In double quotes, with line breaks, tabs, quotes and backslashes escaped: one item a line.
std::string Quoted(const std::wstring& text) {
  std::string out = "\"";
  for (const char c : Utf8(text)) {
    const std::string escapes = "\r\n\t\\\"", names = "rnt\\\"";
    const size_t escape = escapes.find(c);
    out += escape == std::string::npos ? std::string(1, c) : std::string("\\") + names[escape];
  }
  return out + "\"";
}

// A hung program must not hang the driver.
LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result))
    Fail("a window did not answer message " + std::to_string(message));
  return LRESULT(result);
}
std::wstring Text(HWND window) {
  std::wstring text(size_t(Send(window, WM_GETTEXTLENGTH)) + 1, L'\0');
  text.resize(size_t(Send(window, WM_GETTEXT, text.size(), LPARAM(text.data()))));
  return text;
}
// Read without a message, so that a busy program cannot stall a search.
std::wstring Title(HWND window) {
  wchar_t title[256] = {};
  InternalGetWindowText(window, title, 256);
  return title;
}
std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}
std::string Owner(HWND window) {
  HWND owner = GetWindow(window, GW_OWNER);
  return owner ? Quoted(Text(owner)) : "none";
}
// Direct children in z-order, which for a dialog is the template order.
std::vector<HWND> Children(HWND parent) {
  std::vector<HWND> found;
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    found.push_back(child);
  return found;
}
std::vector<HWND> TopLevel() {
  std::vector<HWND> found;
  EnumWindows(
      [](HWND window, LPARAM list) -> BOOL {
        if (IsWindowVisible(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
      },
      LPARAM(&found));
  return found;
}

// Polls `find` until it gives a window or a minute has passed.
template <typename Find>
HWND WaitFor(Find find, const std::string& what) {
  for (const auto end = Clock::now() + std::chrono::seconds(60); Clock::now() < end;) {
    if (HWND window = find()) return window;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  std::string titles;
  for (HWND window : TopLevel()) titles += " " + Quoted(Title(window));
  Fail(what + "; top-level windows:" + titles);
}
HWND Titled(const std::wstring& title) {
  for (HWND window : TopLevel())
    if (Title(window) == title) return window;
  return nullptr;
}
HWND NeedTitled(const std::wstring& title) {
  return WaitFor([&] { return Titled(title); }, "no window " + Quoted(title));
}
void WaitGone(HWND window, const std::string& what) {
  WaitFor([window] { return IsWindow(window) ? nullptr : HWND(1); }, what + " did not close");
}
HWND NeedChild(HWND parent, int id) {
  if (HWND child = GetDlgItem(parent, id)) return child;
  Fail("no control " + std::to_string(id) + " in " + Quoted(Text(parent)));
}
// A dialog of class #32770 that has child `id`.
HWND DialogWith(int id) {
  for (HWND window : TopLevel())
    if (ClassOf(window) == L"#32770" && GetDlgItem(window, id) && IsWindowEnabled(window))
      return window;
  return nullptr;
}

std::string Flags(std::initializer_list<std::pair<LONG, const char*>> flags) {
  std::string out;
  for (const auto& [on, name] : flags)
    if (on) out += (out.empty() ? "" : " ") + std::string(name);
  return out.empty() ? "-" : out;
}

// One line for the window, then one per child.
void Dump(HWND dialog) {
  const LONG style = GetWindowLongW(dialog, GWL_STYLE);
  const LONG extended = GetWindowLongW(dialog, GWL_EXSTYLE);
  std::printf("window\t%s\t%s\towner %s\t%s\n", Utf8(ClassOf(dialog)).c_str(),
              Flags({{style & WS_POPUP, "popup"},
                     {(style & WS_CAPTION) == WS_CAPTION, "caption"},
                     {style & WS_SYSMENU, "sysmenu"},
                     {style & WS_MINIMIZEBOX, "minimizebox"},
                     {style & WS_DISABLED, "disabled"},
                     {style & WS_MINIMIZE, "minimized"},
                     {extended & WS_EX_APPWINDOW, "appwindow"},
                     {extended & WS_EX_DLGMODALFRAME, "modalframe"}})
                  .c_str(),
              Owner(dialog).c_str(), Quoted(Text(dialog)).c_str());
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
  const char* buttons[] = {"pushbutton", "defpushbutton", "", "autocheckbox",   "", "",
                           "",           "groupbox",      "", "autoradiobutton"};
  const char* statics[] = {"static-left", "static-centre"};
  for (HWND child : Children(dialog)) {
    const LONG type = GetWindowLongW(child, GWL_STYLE), button = type & BS_TYPEMASK;
    const bool is_button = ClassOf(child) == L"Button", is_static = ClassOf(child) == L"Static";
    const std::string kind = is_button && button <= 9 && *buttons[button] ? buttons[button]
                             : is_static && (type & SS_TYPEMASK) <= 1 ? statics[type & SS_TYPEMASK]
                                                                      : Utf8(ClassOf(child));
    std::printf(
        "%d\t%s\t%s\t%s\n", WORD(GetDlgCtrlID(child)), kind.c_str(),
        Flags({{type & WS_GROUP, "group"},
               {type & WS_TABSTOP, "tabstop"},
               {type & WS_DISABLED, "disabled"},
               {(button == 3 || button == 9) && is_button && Send(child, BM_GETCHECK), "checked"},
               {child == info.hwndFocus, "focus"}})
            .c_str(),
        Quoted(Text(child)).c_str());
  }
}

// The open-file dialog, by its file-name box (cmb13, or edt1 in the older layout) and cmb1.
HWND Chooser() {
  return WaitFor([] { return DialogWith(0x470); }, "no open-file dialog");
}
HWND NameBox(HWND chooser) {
  HWND combo = GetDlgItem(chooser, 0x47C);
  return combo ? combo : NeedChild(chooser, 0x480);
}

// A message box holds its text in static control 0xFFFF; it is closed with its first button.
void ReadAndCloseMessage() {
  HWND box = WaitFor([] { return DialogWith(0xFFFF); }, "no message box appeared");
  std::printf("owner\t%s\ntitle\t%s\ntext\t%s\nbuttons\t", Owner(box).c_str(),
              Quoted(Text(box)).c_str(), Quoted(Text(GetDlgItem(box, 0xFFFF))).c_str());
  HWND first = nullptr;
  for (HWND child : Children(box)) {
    if (ClassOf(child) == L"Button" && IsWindowVisible(child) &&
        (GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK) <= BS_DEFPUSHBUTTON) {
      std::printf(first ? " %s" : "%s", Quoted(Text(child)).c_str());
      first = first ? first : child;
    }
  }
  std::printf("\n");
  if (!first) Fail("the message box has no button");
  PostMessageW(first, BM_CLICK, 0, 0);
  WaitGone(box, "the message box");
}

// Finished: its thread answers, it is enabled and owns no visible window, and stays so a while,
// so that a box about to appear is seen.
void WaitIdle(HWND window) {
  auto quiet_since = Clock::now();
  WaitFor(
      [&] {
        Send(window, WM_NULL);
        bool busy = !IsWindowEnabled(window);
        for (HWND other : TopLevel()) busy = busy || GetWindow(other, GW_OWNER) == window;
        if (busy) quiet_since = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return Clock::now() - quiet_since > std::chrono::milliseconds(300) ? window : nullptr;
      },
      Quoted(Text(window)) + " is not idle");
}

void RunCommand(const std::vector<std::wstring>& words) {
  const auto word = [&](size_t i) -> const std::wstring& {
    if (words.size() <= i) Fail("too few words for " + Utf8(words.empty() ? L"" : words[0]));
    return words[i];
  };
  const std::wstring& command = word(0);
  const auto number = [&] { return _wtoi(word(words.size() > 2 ? 2 : 1).c_str()); };
  RECT r;
  if (command == L"wait") {
    NeedTitled(word(1));
  } else if (command == L"gone") {
    if (HWND window = Titled(word(1))) WaitGone(window, Quoted(word(1)));
  } else if (command == L"dump") {
    Dump(NeedTitled(word(1)));
  } else if (command == L"click") {
    PostMessageW(NeedChild(NeedTitled(word(1)), number()), BM_CLICK, 0, 0);
  } else if (command == L"close") {
    PostMessageW(NeedTitled(word(1)), WM_SYSCOMMAND, SC_CLOSE, 0);
  } else if (command == L"rect" && GetWindowRect(NeedTitled(word(1)), &r)) {
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right - r.left, r.bottom - r.top);
  } else if (command == L"centre" && GetWindowRect(NeedChild(NeedTitled(word(1)), number()), &r)) {
    std::printf("%ld %ld\n", (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  } else if (command == L"chooser") {
    HWND chooser = Chooser(), types = GetDlgItem(chooser, 0x470);
    std::printf("owner\t%s\ncaption\t%s\nname\t%s\n", Owner(chooser).c_str(),
                Quoted(Text(chooser)).c_str(), Quoted(Text(NameBox(chooser))).c_str());
    for (LRESULT i = 0; i < Send(types, CB_GETCOUNT); ++i) {
      std::wstring item(size_t(Send(types, CB_GETLBTEXTLEN, i)) + 1, L'\0');
      item.resize(size_t(Send(types, CB_GETLBTEXT, i, LPARAM(item.data()))));
      std::printf("filter\t%s%s\n", Quoted(item).c_str(),
                  i == Send(types, CB_GETCURSEL) ? "\tselected" : "");
    }
  } else if (command == L"choose") {
    HWND chooser = Chooser();
    Send(NameBox(chooser), WM_SETTEXT, 0, LPARAM(word(1).c_str()));
    PostMessageW(NeedChild(chooser, IDOK), BM_CLICK, 0, 0);
  } else if (command == L"cancel") {
    HWND chooser = Chooser();
    PostMessageW(NeedChild(chooser, IDCANCEL), BM_CLICK, 0, 0);
    WaitGone(chooser, "the open-file dialog");
  } else if (command == L"messages") {
    for (int i = 0; i < number(); ++i) ReadAndCloseMessage();
  } else if (command == L"idle") {
    WaitIdle(NeedTitled(word(1)));
  } else if (command == L"drop") {
    // The paths go by the clipboard to drop_hook.dll, which Wine loads into the window's process.
    std::wstring paths;
    for (size_t i = 2; i < words.size(); ++i)
      paths += words[i] + (i + 1 < words.size() ? L"\n" : L"");
    HGLOBAL text = GlobalAlloc(GMEM_MOVEABLE, (paths.size() + 1) * sizeof(wchar_t));
    std::copy(paths.c_str(), paths.c_str() + paths.size() + 1,
              static_cast<wchar_t*>(GlobalLock(text)));
    GlobalUnlock(text);
    if (!OpenClipboard(nullptr) || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, text))
      Fail("cannot put the dropped paths on the clipboard");
    CloseClipboard();
    HWND window = NeedTitled(word(1));
    HMODULE hook = LoadLibraryW(L"drop_hook.dll");
    auto* procedure =
        hook ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(hook, "DropHook")))
             : nullptr;
    // Left in place until the driver ends: it only acts on its own message.
    if (!procedure || !SetWindowsHookExW(WH_GETMESSAGE, procedure, hook,
                                         GetWindowThreadProcessId(window, nullptr)))
      Fail("cannot hook the window's thread");
    PostMessageW(window, RegisterWindowMessageW(L"romspan-test-drop"), 0, 0);
  } else if (command == L"unwritable") {
    const std::wstring nowhere = L"\\Registry\\Machine\\Software\\Nowhere\\Romspan";
    HKEY key = nullptr;
    RegDeleteTreeW(HKEY_CURRENT_USER, word(1).c_str());
    if (RegCreateKeyExW(HKEY_CURRENT_USER, word(1).c_str(), 0, nullptr,
                        REG_OPTION_CREATE_LINK | REG_OPTION_VOLATILE,
                        KEY_ALL_ACCESS | KEY_CREATE_LINK, nullptr, &key,
                        nullptr) != ERROR_SUCCESS ||
        RegSetValueExW(key, L"SymbolicLinkValue", 0, REG_LINK,
                       reinterpret_cast<const BYTE*>(nowhere.data()),
                       DWORD(nowhere.size() * sizeof(wchar_t))) != ERROR_SUCCESS)
      Fail("cannot make the key a link");
    RegCloseKey(key);
  } else if (command == L"text") {
    std::printf("%s", Utf8(Text(NeedChild(NeedTitled(word(1)), number()))).c_str());
  } else if (command == L"clipboard") {
    HANDLE text = OpenClipboard(nullptr) ? GetClipboardData(CF_UNICODETEXT) : nullptr;
    if (!text) Fail("no text on the clipboard");
    std::printf("%s", Utf8(static_cast<const wchar_t*>(GlobalLock(text))).c_str());
    GlobalUnlock(text);
    CloseClipboard();
  } else if (command == L"hold") {
    const std::wstring share = words.size() > 3 ? words[3] : L"";
    const DWORD sharing = (share.find(L'r') != share.npos ? FILE_SHARE_READ : 0) |
                          (share.find(L'w') != share.npos ? FILE_SHARE_WRITE : 0) |
                          (share.find(L'd') != share.npos ? FILE_SHARE_DELETE : 0);
    HANDLE file =
        CreateFileW(word(1).c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail("cannot open " + Utf8(word(1)));
    std::printf("held\n");
    std::fflush(stdout);
    Sleep(DWORD(number() * 1000));
    CloseHandle(file);
  } else {
    Fail("unknown command " + Quoted(command));
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  // Lines end in "\n" alone, as the scripts that read them expect.
  _setmode(_fileno(stdout), _O_BINARY);
  if (argc != 2 || std::wstring(argv[1]) != L"batch") {
    RunCommand(std::vector<std::wstring>(argv + 1, argv + argc));
    return 0;
  }
  char line[8192];
  while (std::fgets(line, sizeof line, stdin)) {
    wchar_t wide[8192];
    const int length = MultiByteToWideChar(CP_UTF8, 0, line, -1, wide, 8192) - 1;
    std::vector<std::wstring> words(1);
    for (int i = 0; i < length && wide[i] != L'\n' && wide[i] != L'\r'; ++i)
      if (wide[i] == L'\t') {
        words.emplace_back();
      } else {
        words.back().push_back(wide[i]);
      }
    if (!words[0].empty()) RunCommand(words);
    std::fflush(stdout);
  }
  return 0;
}

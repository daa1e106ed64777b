#include "ui_test_support.h"

namespace {

std::vector<ShownMessage> shown_messages;

std::wstring ToWideIn(UINT code_page, const std::string& text) {
  std::wstring out(text.size(), L'\0');
  out.resize(MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()),
                                 out.data(), static_cast<int>(out.size())));
  return out;
}

std::string FromWideIn(UINT code_page, const std::wstring& text) {
  std::string out(text.size() * 4, '\0');
  out.resize(WideCharToMultiByte(code_page, 0, text.data(), static_cast<int>(text.size()),
                                 out.data(), static_cast<int>(out.size()), nullptr, nullptr));
  return out;
}

std::wstring WindowText(HWND window) {
  std::wstring text(1024, L'\0');
  text.resize(GetWindowTextW(window, text.data(), static_cast<int>(text.size())));
  return text;
}

// Takes each box down once it is set up and before it is shown: showing and hiding a window
// costs Wine seconds on a screen without a window manager.
LRESULT CALLBACK AnswerMessageBoxes(int code, WPARAM w_param, LPARAM l_param) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(l_param);
  wchar_t class_name[8] = L"";
  if (code == HC_ACTION && call->message == WM_INITDIALOG &&
      GetClassNameW(call->hwnd, class_name, 8) > 0 && std::wstring(class_name) == L"#32770") {
    // The message text is the box's static control 0xFFFF.
    shown_messages.push_back(
        {Utf8(WindowText(call->hwnd)), Utf8(WindowText(GetDlgItem(call->hwnd, 0xFFFF)))});
    DestroyWindow(call->hwnd);
  }
  return CallNextHookEx(nullptr, code, w_param, l_param);
}

}  // namespace

std::wstring Wide(const std::string& utf8) {
  return ToWideIn(CP_UTF8, utf8);
}

std::string Utf8(const std::wstring& wide) {
  return FromWideIn(CP_UTF8, wide);
}

std::string AnsiToUtf8(const std::string& ansi) {
  return Utf8(ToWideIn(CP_ACP, ansi));
}

std::string Utf8ToAnsi(const std::string& utf8) {
  return FromWideIn(CP_ACP, Wide(utf8));
}

bool WindowsAvailable() {
  const HWND window =
      CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  if (window == nullptr) return false;
  DestroyWindow(window);
  return true;
}

MessageBoxRecorder::MessageBoxRecorder()
    : hook_(
          SetWindowsHookExW(WH_CALLWNDPROCRET, AnswerMessageBoxes, nullptr, GetCurrentThreadId())) {
  shown_messages.clear();
}

MessageBoxRecorder::~MessageBoxRecorder() {
  if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
}

std::vector<ShownMessage> MessageBoxRecorder::Take() {
  std::vector<ShownMessage> shown;
  shown.swap(shown_messages);
  return shown;
}

void PrintTo(const ShownMessage& message, std::ostream* out) {
  *out << '"' << message.title << "\" / \"" << message.text << '"';
}

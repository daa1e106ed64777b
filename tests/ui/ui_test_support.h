// What the dialog front end's tests share: text through the system's own converters, the API
// modes, and message boxes answered as soon as they appear.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);
std::string AnsiToUtf8(const std::string& ansi);
std::string Utf8ToAnsi(const std::string& utf8);

// A window can be created: Wine has a display to put it on.
bool WindowsAvailable();

struct ShownMessage {
  std::string title;
  std::string text;
  bool operator==(const ShownMessage&) const = default;
};
void PrintTo(const ShownMessage& message, std::ostream* out);

// Records every message box this thread opens while it lives, and closes it at once.
class MessageBoxRecorder {
 public:
  MessageBoxRecorder();
  ~MessageBoxRecorder();
  // The boxes shown since the last call.
  std::vector<ShownMessage> Take();

 private:
  HHOOK hook_;
};

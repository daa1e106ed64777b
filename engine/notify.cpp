#include "notify.h"

#include <cstdio>

#include "expansion_job.h"

bool command_line_mode = false;

namespace {

NotifyCapture* notify_capture = nullptr;

}  // namespace

void CaptureNotifications(NotifyCapture* capture) {
  notify_capture = capture;
}

void Notify(WindowHandle owner, const char* title, const char* text, uint32_t icon) {
  if (notify_capture != nullptr) {
    if (notify_capture->text == nullptr) notify_capture->text = text;
  } else if (command_line_mode) {
    std::printf("%s : %s\n", title, text);
  } else {
    MessageBoxUtf8(owner, text, title, icon);
  }
}

void Notify(WindowHandle owner, Message message) {
  const MessageEntry& entry = LookUpMessage(message);
  Notify(owner, entry.title, entry.text != nullptr ? entry.text : rom_path, entry.icon);
}

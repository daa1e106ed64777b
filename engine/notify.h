// The notification channel: the console in command-line mode, a message box otherwise.
#pragma once

#include <cstdint>

#include "message_catalogue.h"
#include "platform_calls.h"

// Set by the command line before it runs a job; never cleared.
extern bool command_line_mode;

void Notify(WindowHandle owner, const char* title, const char* text, uint32_t icon);

// While a capture is set, the text of the first notification is kept in it and nothing is
// shown: the engine can then run a job's checks to learn what it would report. Null ends it.
struct NotifyCapture {
  const char* text = nullptr;
};
void CaptureNotifications(NotifyCapture* capture);

// Reports a catalogue entry; an entry without a text of its own takes the ROM path.
void Notify(WindowHandle owner, Message message);

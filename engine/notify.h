// The notification channel: the console in command-line mode, a message box otherwise.
#pragma once

#include <cstdint>

#include "message_catalogue.h"
#include "platform_calls.h"

// Set by the command line before it runs a job; never cleared.
extern bool command_line_mode;

void Notify(WindowHandle owner, const char* title, const char* text, uint32_t icon);

// Reports a catalogue entry; kCannotOpen takes the ROM path as its text.
void Notify(WindowHandle owner, Message message);

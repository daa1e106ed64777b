// A job on the ROM at rom_path: it ends with the ROM either as it was or with the whole result
// durably in place, and holds the ROM against other runs meanwhile.
#pragma once

#include "message_catalogue.h"
#include "platform_calls.h"

// Opens rom_path for update; reports why it cannot (missing, read-only, in use) and returns
// false then.
bool BeginRomJob(WindowHandle owner);

// Closes the job's ROM, putting what was written in its place when `succeeded`, and reports
// exactly one outcome: `done` when the ROM changed, `no_effect` when nothing had to be
// written, "Failed!" otherwise. True for the first two.
bool EndRomJob(WindowHandle owner, bool succeeded, Message done = Message::kDone,
               Message no_effect = Message::kNoEffect);

// A job on the ROM at rom_path: it ends with the ROM either as it was or with the whole result
// durably in place, and holds the ROM against other runs meanwhile.
#pragma once

#include <initializer_list>

#include "message_catalogue.h"
#include "platform_calls.h"

// Set by a front end before its jobs: a job that changes the ROM keeps the ROM as it was beside
// it (NAME.bak, or NAME.N.bak when that is taken). No change, no backup.
extern bool keep_backups;

// Opens rom_path for update; reports why it cannot (missing, read-only, in use) and returns
// false then.
bool BeginRomJob(WindowHandle owner);

// Closes the job's ROM, putting what was written in its place when `succeeded`. Then reports
// `outcomes` in turn and returns true, or, when the job failed or its result could not take the
// ROM's place, why and "Failed!", and returns false.
bool EndRomJob(WindowHandle owner, bool succeeded, std::initializer_list<Message> outcomes);

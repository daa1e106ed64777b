// What the working copy and the backup of a run share: the names that a stop signal removes
// with the run, and the folder sync that makes a name durable.
#pragma once

#include <limits.h>
#include <signal.h>

// The ROM's own path, symbolic links resolved: the working copy and the backup go beside it.
extern char working_copy_target[PATH_MAX];
// Read by the stop signals' handler, which removes the backup while its flag is set.
extern char backup_path[PATH_MAX + 16];
extern volatile sig_atomic_t backup_exists;

// The stop signals wait while a name and its flag change together.
sigset_t HoldStopSignals();
void ReleaseStopSignals(const sigset_t& saved);

bool SyncDirectoryOf(const char* path);

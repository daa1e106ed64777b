// POSIX backup: a hard link to the held ROM, which costs no copy, or a copy where the file system
// has no hard links (FAT, exFAT); made durable with its folder before the commit's rename.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform_calls.h"
#include "run_files_posix.h"

namespace {

constexpr int kBackupNames = 1000;  // NAME.bak, then NAME.1.bak to NAME.999.bak

bool NameBackup(int number) {
  const int written =
      number == 0 ? std::snprintf(backup_path, sizeof backup_path, "%s.bak", working_copy_target)
                  : std::snprintf(backup_path, sizeof backup_path, "%s.%d.bak", working_copy_target,
                                  number);
  return written > 0 && static_cast<size_t>(written) < sizeof backup_path;
}

// The file system cannot link this file at all; a copy can still keep it.
bool LinkImpossible(int error) {
  return error == EPERM || error == EMLINK || error == EXDEV || error == ENOTSUP || error == ENOSYS;
}

// A new file for the copy, with the ROM's permissions and, where the run may give them, its
// owner and group.
FILE* OpenCopy(int fd, const struct stat& original) {
  bool kept = fchmod(fd, original.st_mode & 07777) == 0;
  if (kept && geteuid() == 0) kept = fchown(fd, original.st_uid, original.st_gid) == 0;
  FILE* copy = kept ? fdopen(fd, "w+b") : nullptr;
  if (copy == nullptr) {
    close(fd);
    DiscardBackup();
  }
  return copy;
}

}  // namespace

FILE* CreateBackupUtf8(FILE* rom, const char* /*path*/, bool* linked) {
  *linked = false;
  struct stat original;
  if (fstat(fileno(rom), &original) != 0) return nullptr;
  bool can_link = true;
  for (int number = 0; number < kBackupNames && NameBackup(number); ++number) {
    const sigset_t saved = HoldStopSignals();
    int made = can_link ? link(working_copy_target, backup_path) : -1;
    int fd = -1;
    if (made != 0 && (!can_link || LinkImpossible(errno))) {
      can_link = false;
      fd = open(backup_path, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      made = fd >= 0 ? 0 : -1;
    }
    const int error = errno;
    backup_exists = made == 0;
    ReleaseStopSignals(saved);
    if (made == 0) {
      *linked = can_link;
      return can_link ? nullptr : OpenCopy(fd, original);
    }
    // Never another file's name: the next number.
    if (error != EEXIST) return nullptr;
  }
  return nullptr;
}

bool FinishBackup(FILE* copy, bool filled) {
  bool kept = filled;
  if (copy != nullptr) {
    kept = kept && std::fflush(copy) == 0 && fsync(fileno(copy)) == 0;
    kept = std::fclose(copy) == 0 && kept;
  }
  kept = kept && SyncDirectoryOf(backup_path);
  if (!kept) DiscardBackup();
  return kept;
}

void DiscardBackup() {
  const sigset_t saved = HoldStopSignals();
  if (backup_exists) unlink(backup_path);
  backup_exists = 0;
  ReleaseStopSignals(saved);
}

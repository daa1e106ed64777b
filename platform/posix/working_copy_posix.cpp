// POSIX working copy: created with mkstemp beside the ROM, written through with fsync, renamed
// over the ROM, and the directory synced so the new name survives a power cut.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform_calls.h"
#include "run_files_posix.h"

char working_copy_target[PATH_MAX];
char backup_path[PATH_MAX + 16];
volatile sig_atomic_t backup_exists = 0;

namespace {

constexpr char kCopySuffix[] = ".romspan-XXXXXX";
constexpr size_t kMaxCopyName = NAME_MAX;

// Read by the signal handler, so kept in static storage and flagged atomically.
char working_copy_path[PATH_MAX + sizeof(kCopySuffix) + 2];
volatile sig_atomic_t working_copy_exists = 0;

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemoveWorkingCopyAndStop(int signal_number) {
  if (working_copy_exists) unlink(working_copy_path);
  if (backup_exists) unlink(backup_path);
  // SA_RESETHAND has restored the default action: stop as the signal asked.
  raise(signal_number);
}

void InstallStopHandlers() {
  static bool installed = false;
  if (installed) return;
  installed = true;
  for (const int signal_number : kStopSignals) {
    struct sigaction previous;
    // A signal the caller chose to ignore (nohup, a background job) stays ignored.
    if (sigaction(signal_number, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
      continue;
    }
    struct sigaction action = {};
    action.sa_handler = RemoveWorkingCopyAndStop;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
  }
}

void ForgetWorkingCopy() {
  const sigset_t saved = HoldStopSignals();
  unlink(working_copy_path);
  working_copy_exists = 0;
  ReleaseStopSignals(saved);
}

// Names the copy ".NAME.romspan-XXXXXX" in the directory of `target`, shortening NAME when the
// whole would exceed the file system's name limit.
bool NameWorkingCopy(const char* target) {
  const char* slash = std::strrchr(target, '/');
  const int directory_length = static_cast<int>(slash - target);
  const char* name = slash + 1;
  const size_t name_room = kMaxCopyName - 1 - (sizeof(kCopySuffix) - 1);
  const int name_length = static_cast<int>(std::min(std::strlen(name), name_room));
  const int written = std::snprintf(working_copy_path, sizeof(working_copy_path), "%.*s/.%.*s%s",
                                    directory_length, target, name_length, name, kCopySuffix);
  return written > 0 && static_cast<size_t>(written) < sizeof(working_copy_path);
}

}  // namespace

sigset_t HoldStopSignals() {
  sigset_t held;
  sigset_t saved;
  sigemptyset(&held);
  for (const int signal_number : kStopSignals) sigaddset(&held, signal_number);
  sigprocmask(SIG_BLOCK, &held, &saved);
  return saved;
}

void ReleaseStopSignals(const sigset_t& saved) {
  sigprocmask(SIG_SETMASK, &saved, nullptr);
}

bool SyncDirectoryOf(const char* path) {
  const char* slash = std::strrchr(path, '/');
  char directory[PATH_MAX];
  const int written =
      std::snprintf(directory, sizeof(directory), "%.*s/", static_cast<int>(slash - path), path);
  if (written <= 0 || static_cast<size_t>(written) >= sizeof(directory)) return false;
  const int fd = open(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  // Some file systems cannot sync a directory; they keep their names another way.
  const bool synced = fsync(fd) == 0 || errno == EINVAL;
  close(fd);
  return synced;
}

FILE* OpenFileExclusiveUtf8(const char* path, bool* in_use) {
  *in_use = false;
  FILE* stream = OpenFileUtf8(path, "r+b");
  if (stream == nullptr) return nullptr;
  const int fd = fileno(stream);
  struct stat held;
  struct stat named;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    *in_use = errno == EWOULDBLOCK;
  } else if (fstat(fd, &held) == 0 && stat(path, &named) == 0) {
    if (held.st_dev == named.st_dev && held.st_ino == named.st_ino) return stream;
    // Another run put its result under the name while this one waited for the lock.
    *in_use = true;
  }
  std::fclose(stream);
  return nullptr;
}

// The lock goes with the descriptor.
void CloseExclusiveFile(FILE* stream) {
  if (stream != nullptr) std::fclose(stream);
}

FILE* CreateWorkingCopyUtf8(const char* path) {
  if (working_copy_exists) return nullptr;
  // The result replaces a symbolic link's target, so the link stays a link.
  char* target = realpath(path, nullptr);
  struct stat original;
  const bool named = target != nullptr && std::strlen(target) < sizeof(working_copy_target) &&
                     stat(target, &original) == 0 && NameWorkingCopy(target);
  if (named) std::memcpy(working_copy_target, target, std::strlen(target) + 1);
  std::free(target);
  if (!named) return nullptr;

  InstallStopHandlers();
  const sigset_t saved = HoldStopSignals();
  const int fd = mkstemp(working_copy_path);
  working_copy_exists = fd >= 0;
  ReleaseStopSignals(saved);
  if (fd < 0) return nullptr;
  fcntl(fd, F_SETFD, FD_CLOEXEC);
  // The result keeps the ROM's permissions, and its owner where the run may give it.
  bool kept = fchmod(fd, original.st_mode & 07777) == 0;
  if (kept && geteuid() == 0) kept = fchown(fd, original.st_uid, original.st_gid) == 0;
  FILE* copy = kept ? fdopen(fd, "w+b") : nullptr;
  if (copy == nullptr) {
    close(fd);
    ForgetWorkingCopy();
  }
  return copy;
}

bool ReplaceWithWorkingCopyUtf8(FILE* copy, FILE** /*rom*/, const char* /*path*/, bool* in_use) {
  // The lock keeps every other run out through the rename, and no other program can block it.
  *in_use = false;
  bool replaced = std::fflush(copy) == 0 && fsync(fileno(copy)) == 0;
  replaced = std::fclose(copy) == 0 && replaced;
  const sigset_t saved = HoldStopSignals();
  if (replaced) replaced = rename(working_copy_path, working_copy_target) == 0;
  if (!replaced) unlink(working_copy_path);
  working_copy_exists = 0;
  // From here the backup holds what the ROM's name no longer does: it stays.
  if (replaced) backup_exists = 0;
  ReleaseStopSignals(saved);
  return replaced && SyncDirectoryOf(working_copy_target);
}

void DiscardWorkingCopy(FILE* copy) {
  std::fclose(copy);
  ForgetWorkingCopy();
}

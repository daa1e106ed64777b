// POSIX file lengths and copies inside the system: ftruncate, and on Linux a clone (FICLONE)
// or copy_file_range, so that a working copy is made without its bytes passing through the
// program.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform_calls.h"

#if defined(__linux__)
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

namespace {

#if defined(__linux__)
// The errors that mean "not here": another file system, none of its own, an old kernel. Any
// other is a real I/O error and fails the copy.
bool CopyUnsupported(int error) {
  return error == EXDEV || error == EOPNOTSUPP || error == EINVAL || error == ENOSYS;
}

bool WholeFileInto(int from, uint64_t from_offset, int to, uint64_t to_offset, uint64_t count) {
  struct stat source;
  struct stat target;
  return from_offset == 0 && to_offset == 0 && fstat(from, &source) == 0 &&
         fstat(to, &target) == 0 && target.st_size == 0 &&
         count >= static_cast<uint64_t>(source.st_size);
}
#endif

}  // namespace

bool SetStreamFileSize(FILE* stream, uint64_t size) {
  return stream != nullptr && std::fflush(stream) == 0 &&
         ftruncate(fileno(stream), static_cast<off_t>(size)) == 0;
}

SystemCopy CopyFileDataInSystem(FILE* from, uint64_t from_offset, FILE* to, uint64_t to_offset,
                                uint64_t count) {
#if defined(__linux__)
  if (std::fflush(from) != 0 || std::fflush(to) != 0) return SystemCopy::kFailed;
  const int from_fd = fileno(from);
  const int to_fd = fileno(to);
  if (WholeFileInto(from_fd, from_offset, to_fd, to_offset, count)) {
    if (ioctl(to_fd, FICLONE, from_fd) == 0) return SystemCopy::kCopied;
    if (!CopyUnsupported(errno)) return SystemCopy::kFailed;
  }
  auto in = static_cast<off_t>(from_offset);
  auto out = static_cast<off_t>(to_offset);
  for (bool first = true; count != 0; first = false) {
    const ssize_t copied = copy_file_range(from_fd, &in, to_fd, &out, count, 0);
    if (copied < 0) {
      return first && CopyUnsupported(errno) ? SystemCopy::kUnsupported : SystemCopy::kFailed;
    }
    if (copied == 0) break;  // the end of `from`
    count -= static_cast<uint64_t>(copied);
  }
  return SystemCopy::kCopied;
#else
  (void)from, (void)from_offset, (void)to, (void)to_offset, (void)count;
  return SystemCopy::kUnsupported;
#endif
}

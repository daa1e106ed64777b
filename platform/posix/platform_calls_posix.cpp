// POSIX implementation of the platform operations: paths and texts are UTF-8 already.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform_calls.h"

namespace {

constexpr mode_t kAnyWritePermission = S_IWUSR | S_IWGRP | S_IWOTH;

bool ModeWrites(const char* mode) {
  return std::strchr(mode, '+') != nullptr || std::strchr(mode, 'w') != nullptr ||
         std::strchr(mode, 'a') != nullptr;
}

int OpenFlagsFor(const char* mode) {
  const bool plus = std::strchr(mode, '+') != nullptr;
  switch (mode[0]) {
    case 'r':
      return plus ? O_RDWR : O_RDONLY;
    case 'w':
      return (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    case 'a':
      return (plus ? O_RDWR : O_WRONLY) | O_CREAT | O_APPEND;
    default:
      return -1;
  }
}

}  // namespace

const char kReadOnlyAdvice[] = "Make the file writable with \"chmod u+w\" and try again.";

FILE* OpenFileUtf8(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) return nullptr;
  const int flags = OpenFlagsFor(mode);
  if (flags < 0) {
    errno = EINVAL;
    return nullptr;
  }
  // O_NONBLOCK keeps a FIFO from blocking the open; it is refused right after.
  const int fd = open(path, flags | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return nullptr;
  struct stat info;
  int refusal = 0;
  if (fstat(fd, &info) != 0) {
    refusal = errno;
  } else if (!S_ISREG(info.st_mode)) {
    refusal = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
  } else if (ModeWrites(mode) && (info.st_mode & kAnyWritePermission) == 0) {
    // A read-only file stays read-only for root too, as the read-only attribute does on Windows.
    refusal = EACCES;
  }
  if (refusal == 0 && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) refusal = errno;
  FILE* stream = refusal == 0 ? fdopen(fd, mode) : nullptr;
  if (stream == nullptr) {
    if (refusal == 0) refusal = errno;
    close(fd);
    errno = refusal;
  }
  return stream;
}

int MessageBoxUtf8(WindowHandle, const char* text, const char* title, uint32_t) {
  // No message boxes here: the message goes to the standard error stream and no box was shown.
  std::fprintf(stderr, "%s : %s\n", title != nullptr ? title : "", text != nullptr ? text : "");
  return 0;
}

uint32_t GetFileAttributesUtf8(const char* path) {
  struct stat info;
  if (path == nullptr || stat(path, &info) != 0) return kAttributesInvalid;
  if (S_ISDIR(info.st_mode)) return kAttributeDirectory;
  if ((info.st_mode & kAnyWritePermission) == 0) return kAttributeReadOnly;
  return kAttributeNormal;
}

uint32_t GetCurrentDirectoryUtf8(uint32_t capacity, char* buffer) {
  if (buffer != nullptr && capacity != 0) buffer[0] = '\0';
  char* directory = getcwd(nullptr, 0);
  if (directory == nullptr) return 0;
  const size_t length = std::strlen(directory);
  const uint32_t needed = static_cast<uint32_t>(length + 1);
  const bool fits = buffer != nullptr && needed <= capacity;
  if (fits) std::memcpy(buffer, directory, needed);
  std::free(directory);
  return fits ? needed - 1 : needed;
}

bool GetStreamFileSize(FILE* stream, uint64_t* out_size) {
  struct stat info;
  if (stream == nullptr || std::fflush(stream) != 0 || fstat(fileno(stream), &info) != 0) {
    return false;
  }
  *out_size = static_cast<uint64_t>(info.st_size);
  return true;
}

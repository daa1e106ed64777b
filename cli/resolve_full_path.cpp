#include "resolve_full_path.h"

#include <cstring>

#include "platform_calls.h"

namespace {

bool IsSeparator(char c, PathStyle style) {
  return c == '/' || (style == PathStyle::kWindows && c == '\\');
}

bool IsComplete(const char* path, PathStyle style) {
  for (const char* p = path; *p != '\0'; ++p) {
    if (IsSeparator(*p, style)) return true;
  }
  const bool drive_letter =
      (path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z');
  return style == PathStyle::kWindows && drive_letter && path[1] == ':';
}

}  // namespace

bool ResolveFullPath(char* out, const char* path) {
  return ResolveFullPath(out, path, kNativePathStyle, GetCurrentDirectoryUtf8);
}

bool ResolveFullPath(char* out, const char* path, PathStyle style,
                     CurrentDirectoryQuery current_directory) {
  const size_t length = std::strlen(path);
  if (length >= kFullPathCapacity) return false;
  if (IsComplete(path, style)) {
    std::memcpy(out, path, length + 1);
    return true;
  }
  // The separator alone would make the joined path one byte too long.
  if (length == kFullPathCapacity - 1) return false;

  char directory[kFullPathCapacity];
  directory[0] = '\0';
  current_directory(static_cast<uint32_t>(kFullPathCapacity - 1 - length), directory);
  size_t directory_length = std::strlen(directory);
  if (directory_length == 0) {
    // Without the directory the name stays relative, so it still means the file in the current
    // directory rather than one in the root.
    std::memcpy(out, path, length + 1);
    return true;
  }
  // A root such as "/" or "C:\" already ends in its separator.
  if (IsSeparator(directory[directory_length - 1], style)) directory[--directory_length] = '\0';
  const char separator = style == PathStyle::kWindows ? '\\' : '/';
  // The capacity given to the query keeps the joined path and its terminator within the output.
  std::memcpy(out, directory, directory_length);
  out[directory_length] = separator;
  std::memcpy(out + directory_length + 1, path, length + 1);
  return true;
}

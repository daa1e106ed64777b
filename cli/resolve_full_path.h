// Turns the ROM path typed on the command line into a full path.
#pragma once

#include <cstdint>

inline constexpr uint32_t kFullPathCapacity = 8192;

enum class PathStyle {
  kPosix,    // '/' separates
  kWindows,  // '\' and '/' separate; a drive prefix such as C: makes a path complete
};

#ifdef _WIN32
inline constexpr PathStyle kNativePathStyle = PathStyle::kWindows;
#else
inline constexpr PathStyle kNativePathStyle = PathStyle::kPosix;
#endif

// Same contract as GetCurrentDirectoryUtf8.
using CurrentDirectoryQuery = uint32_t (*)(uint32_t capacity, char* buffer);

// A path that names a directory is used as typed; a bare file name is joined to the current
// directory. False when the path, or its joined form, does not fit kFullPathCapacity bytes.
bool ResolveFullPath(char* out, const char* path);
bool ResolveFullPath(char* out, const char* path, PathStyle style,
                     CurrentDirectoryQuery current_directory);

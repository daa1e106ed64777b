#include "file_offsets.h"

#include <cstring>

void ComputeFileOffsets(const char* path, uint16_t* file_offset, uint16_t* file_extension) {
  const size_t length = std::strlen(path);
  size_t name = 0;
  for (size_t i = 0; i < length; ++i) {
    if (path[i] == '\\') name = i + 1;
  }
  size_t extension = length;
  for (size_t i = length; i-- > 0;) {
    if (path[i] == '.') {
      extension = i + 1;
      break;
    }
    // A dot in a folder name is no extension.
    if (path[i] == '\\') break;
  }
  // Paths are at most 8192 bytes, so the platform's 16-bit fields hold them.
  *file_offset = static_cast<uint16_t>(name);
  *file_extension = static_cast<uint16_t>(extension);
}

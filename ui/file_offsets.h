// The offsets an open-file dialog reports, recomputed on internal text.
#pragma once

#include <cstdint>

// Byte offsets of the file name (past the last backslash, 0 without one) and of its extension
// (past the last dot of the file name; the path's length when the name has no dot).
void ComputeFileOffsets(const char* path, uint16_t* file_offset, uint16_t* file_extension);

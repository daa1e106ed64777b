// The size names of the command line and the size codes they stand for.
#pragma once

#include <cstddef>
#include <cstdint>

struct SizeName {
  const char* name;
  uint32_t size_code;
  const char* description;
};

extern const SizeName kSizeNames[];
extern const size_t kSizeNameCount;

// The row whose name equals `name` exactly, or null.
const SizeName* FindSizeName(const char* name);

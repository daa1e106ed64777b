// The size names users type and the size codes they stand for.
#pragma once

#include <cstddef>
#include <cstdint>

struct SizeName {
  const char* name;
  uint32_t size_code;
  const char* description;
};

inline constexpr size_t kSizeNameCount = 29;
extern const SizeName kSizeNames[kSizeNameCount];

// The row whose name equals `name` exactly, or null.
const SizeName* FindSizeName(const char* name);

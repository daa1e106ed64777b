// The 512-byte copier header some copiers and patches expect in front of the ROM data.
#pragma once

#include <cstddef>
#include <cstdint>

inline constexpr uint32_t kCopierHeaderSize = 0x200;    // the header that sets bit 0x200
inline constexpr uint32_t kCopierHeaderSignature = 16;  // the bytes that tell its layout

// A header in the Super Wild Card layout, which copiers, patching tools and emulators all
// read, for ROM data of `data_length` bytes.
void MakeCopierHeader(uint32_t data_length, uint8_t header[kCopierHeaderSize]);

// Names the layout of a header by its first bytes, as -Info shows it: "yes (... layout ...)".
void DescribeCopierHeader(const uint8_t first[kCopierHeaderSignature], char* out, size_t size);

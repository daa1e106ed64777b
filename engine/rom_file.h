// The one open ROM file of the process and the primitives every route works with.
// Offsets are 32-bit positions from the start of the file, copier header included.
#pragma once

#include <cstdint>

inline constexpr uint32_t kBankSize = 0x8000;        // the unit in which banks move
inline constexpr uint32_t kCopierHeaderBit = 0x200;  // set in the length when a copier header leads

inline constexpr uint32_t HeaderBase(uint32_t file_length) {
  return file_length & kCopierHeaderBit;
}
inline constexpr uint32_t RomDataLength(uint32_t file_length) {
  return file_length & ~kCopierHeaderBit;
}

// Opens `path` for update ("r+b"); false when it cannot be opened. Closes any earlier ROM file.
bool OpenRomFile(const char* path);
void CloseRomFile();
bool RomFileIsOpen();

// True when a ROM file is open and its length fits 32 bits; no route may act on a longer file,
// whose truncated length would aim a zero fill into existing data.
bool RomFileIsUsable();

// Length of the open file after its pending writes; clears the stream's error indications.
uint32_t RomFileLength();

// Little-endian 16-bit word at `offset`; 0 when the read falls short.
uint32_t ReadRomWord(uint32_t offset);
// Reads `count` bytes; a short read leaves the rest of `out` as it was.
void ReadRomBytes(uint32_t offset, uint8_t* out, uint32_t count);

void WriteRomByte(uint32_t offset, uint8_t value);
void WriteRomBytes(uint32_t offset, const uint8_t* bytes, uint32_t count);
// Writes `count` zeros from `offset`, extending the file as needed; false when no ROM file is
// open or the count is 0.
bool WriteZeroBytes(uint32_t offset, uint32_t count);
// Copies the 32 KiB bank at `from` to `to`.
void CopyBank(uint32_t from, uint32_t to);

// Flushes the stream; true when every read and write since the open went through.
// Routes call it before any step that destroys data, and before reporting success.
bool RomWritesSettled();

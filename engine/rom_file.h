// The one open ROM file of the process and the primitives every route works with.
// Offsets are 32-bit positions from the start of the file, copier header included.
//
// A ROM opened for update is never written where it stands: the first write makes a working
// copy beside it, every read and write after that goes to the copy, and CommitRomFile puts the
// copy in the ROM's place. Closing without a commit leaves the ROM as it was.
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

enum class RomAccess {
  kRead,    // writes fail and change nothing: lets callers see what a route would do
  kUpdate,  // the ROM is held against other runs; writes go to a working copy
};

// Opens `path`; false when it cannot be opened. Closes any earlier ROM file.
bool OpenRomFile(const char* path, RomAccess access);
// Closes the ROM file, discarding an uncommitted working copy.
void CloseRomFile();
// Whether the last open for update, or the commit, failed because another run or program
// holds the file or put another in its place.
bool RomFileInUse();

// True once any write has been asked for since the open.
bool RomFileWritten();
// Whether a write failed because no working copy could be made beside the ROM.
bool RomWorkingCopyFailed();
// Whether the last commit failed because no backup could be kept.
bool RomBackupFailed();
// Makes the working copy `prefix` followed by the ROM from file offset `skip` on, instead of a
// copy of the whole ROM: how a copier header is added or removed. Only before the first write;
// false when the copy cannot be made.
bool ReshapeRomFile(const uint8_t* prefix, uint32_t prefix_length, uint32_t skip);
// Makes the working copy empty instead of a copy of the ROM, for a route that places every part
// of the ROM it keeps itself, with CopyRomSpan: nothing is written twice. Only before the first
// write; false when the copy cannot be made.
bool StartEmptyWorkingCopy();
// Copies `count` bytes of the ROM as it was at `from`, fewer where it ends first, to `to`.
void CopyRomSpan(uint32_t from, uint32_t to, uint32_t count);
// Puts the working copy, durably written, in place of the ROM, with `keep_backup` keeping the
// ROM as it was beside it first. False when nothing was written, a write failed, no backup could
// be kept, or the copy cannot replace the ROM; the ROM is then as it was, with no backup.
bool CommitRomFile(bool keep_backup);

// True when a ROM file is open and its length fits 32 bits; no route may act on a longer file,
// whose truncated length would aim a zero fill into existing data.
bool RomFileIsUsable();

// Size of the open file in 64 bits; false when no file is open or its size is unknown.
bool RomFileSize(uint64_t* size);

// Length of the open file after its pending writes; clears the stream's error indications.
uint32_t RomFileLength();

// Little-endian 16-bit word at `offset`; 0 when the read falls short.
uint32_t ReadRomWord(uint32_t offset);
// Reads `count` bytes; a short read leaves the rest of `out` as it was.
void ReadRomBytes(uint32_t offset, uint8_t* out, uint32_t count);

void WriteRomByte(uint32_t offset, uint8_t value);
void WriteRomBytes(uint32_t offset, const uint8_t* bytes, uint32_t count);
// Writes `count` zeros from `offset`, extending the file as needed (past its end by setting its
// length: the file system supplies those zeros); false when no ROM file is open or the count is
// 0.
bool WriteZeroBytes(uint32_t offset, uint32_t count);
// Copies the 32 KiB bank at `from` to `to`.
void CopyBank(uint32_t from, uint32_t to);

// Flushes the stream; true when every read and write since the open went through.
// Routes call it before any step that destroys data, and before reporting success.
bool RomWritesSettled();

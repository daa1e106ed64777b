#include "rom_file.h"

#include <cstdio>
#include <cstdlib>

#include "platform_calls.h"

namespace {

constexpr uint32_t kZeroChunk = 0x10000;  // zero fills are written 64 KiB at a time

FILE* rom_file = nullptr;       // what the primitives read and write
FILE* original_file = nullptr;  // the user's ROM, held for the whole job
FILE* working_copy = nullptr;
const char* original_path = nullptr;
RomAccess rom_access = RomAccess::kRead;
bool rom_in_use = false;
bool rom_written = false;
bool working_copy_failed = false;
bool backup_failed = false;
// A failed transfer stays recorded until the file is closed: stream error flags are cleared by
// length queries and zero fills, so they cannot carry it.
bool rom_transfer_failed = false;
uint8_t bank_buffer[kBankSize];

constexpr uint32_t kToTheEnd = 0xFFFFFFFF;

// Copies `count` bytes of `from` at `from_offset`, fewer where it ends first, to `to` at
// `to_offset`: inside the system where it can, else through the bank buffer.
bool CopyFileData(FILE* from, uint32_t from_offset, FILE* to, uint32_t to_offset, uint32_t count) {
  if (count == 0) return true;
  const SystemCopy system = CopyFileDataInSystem(from, from_offset, to, to_offset, count);
  if (system != SystemCopy::kUnsupported) return system == SystemCopy::kCopied;
  while (count != 0) {
    const uint32_t chunk = count < kBankSize ? count : kBankSize;
    if (std::fseek(from, static_cast<long>(from_offset), SEEK_SET) != 0) return false;
    const size_t read = std::fread(bank_buffer, 1, chunk, from);
    if (read == 0) return !std::ferror(from);
    if (std::fseek(to, static_cast<long>(to_offset), SEEK_SET) != 0 ||
        std::fwrite(bank_buffer, 1, read, to) != read) {
      return false;
    }
    from_offset += static_cast<uint32_t>(read);
    to_offset += static_cast<uint32_t>(read);
    count -= static_cast<uint32_t>(read);
  }
  return true;
}

// Makes the working copy, for a job for update: `prefix`, then, when `fill`, the ROM from `skip`
// on. From then on the primitives work on it.
bool MakeWorkingCopy(bool fill, const uint8_t* prefix, uint32_t prefix_length, uint32_t skip) {
  rom_written = true;
  if (working_copy == nullptr && rom_access == RomAccess::kUpdate && !working_copy_failed) {
    working_copy = CreateWorkingCopyUtf8(original_path);
    if (working_copy != nullptr &&
        ((prefix_length != 0 &&
          std::fwrite(prefix, 1, prefix_length, working_copy) != prefix_length) ||
         (fill && !CopyFileData(original_file, skip, working_copy, prefix_length, kToTheEnd)))) {
      DiscardWorkingCopy(working_copy);
      working_copy = nullptr;
    }
    working_copy_failed = working_copy == nullptr;
    if (working_copy != nullptr) rom_file = working_copy;
  }
  if (working_copy == nullptr) rom_transfer_failed = true;
  return working_copy != nullptr;
}

// Every write goes through here first: the first one makes a copy of the whole ROM.
bool PrepareWrite() {
  return MakeWorkingCopy(true, nullptr, 0, 0);
}

// A working copy made in another shape than the ROM's: only before anything is written.
bool StartWorkingCopy(bool fill, const uint8_t* prefix, uint32_t prefix_length, uint32_t skip) {
  return working_copy == nullptr && !rom_written &&
         MakeWorkingCopy(fill, prefix, prefix_length, skip);
}

// The ROM as it was, beside it, durably, before the commit replaces it.
bool KeepBackup() {
  bool linked = false;
  FILE* copy = CreateBackupUtf8(original_file, original_path, &linked);
  if (copy == nullptr && !linked) return false;
  return FinishBackup(copy, copy == nullptr || CopyFileData(original_file, 0, copy, 0, kToTheEnd));
}

void SeekRom(uint32_t offset) {
  if (std::fseek(rom_file, static_cast<long>(offset), SEEK_SET) != 0) rom_transfer_failed = true;
}

void WriteRom(const void* bytes, uint32_t count) {
  if (std::fwrite(bytes, 1, count, rom_file) != count) rom_transfer_failed = true;
}

}  // namespace

bool OpenRomFile(const char* path, RomAccess access) {
  CloseRomFile();
  rom_in_use = false;
  original_file = access == RomAccess::kUpdate ? OpenFileExclusiveUtf8(path, &rom_in_use)
                                               : OpenFileUtf8(path, "rb");
  rom_file = original_file;
  original_path = path;
  rom_access = access;
  rom_written = false;
  working_copy_failed = false;
  backup_failed = false;
  rom_transfer_failed = false;
  return rom_file != nullptr;
}

void CloseRomFile() {
  if (working_copy != nullptr) DiscardWorkingCopy(working_copy);
  if (rom_access == RomAccess::kUpdate) {
    CloseExclusiveFile(original_file);
  } else if (original_file != nullptr) {
    std::fclose(original_file);
  }
  working_copy = nullptr;
  original_file = nullptr;
  rom_file = nullptr;
}

bool RomFileInUse() {
  return rom_in_use;
}

bool RomFileWritten() {
  return rom_written;
}

bool RomWorkingCopyFailed() {
  return working_copy_failed;
}

bool RomBackupFailed() {
  return backup_failed;
}

bool ReshapeRomFile(const uint8_t* prefix, uint32_t prefix_length, uint32_t skip) {
  return StartWorkingCopy(true, prefix, prefix_length, skip);
}

bool StartEmptyWorkingCopy() {
  return StartWorkingCopy(false, nullptr, 0, 0);
}

void CopyRomSpan(uint32_t from, uint32_t to, uint32_t count) {
  if (rom_file == nullptr || !PrepareWrite()) return;
  if (!CopyFileData(original_file, from, working_copy, to, count)) rom_transfer_failed = true;
}

bool CommitRomFile(bool keep_backup) {
  if (working_copy == nullptr || !RomWritesSettled()) return false;
  backup_failed = keep_backup && !KeepBackup();
  if (backup_failed) return false;
  FILE* copy = working_copy;
  working_copy = nullptr;
  rom_file = nullptr;
  const bool replaced =
      ReplaceWithWorkingCopyUtf8(copy, &original_file, original_path, &rom_in_use);
  if (!replaced && keep_backup) DiscardBackup();
  rom_file = original_file;
  return replaced;
}

bool RomFileIsUsable() {
  uint64_t size = 0;
  return rom_file != nullptr && GetStreamFileSize(rom_file, &size) && size <= 0xFFFFFFFFu;
}

bool RomFileSize(uint64_t* size) {
  return rom_file != nullptr && GetStreamFileSize(rom_file, size);
}

uint32_t RomFileLength() {
  if (rom_file == nullptr) return 0;
  std::clearerr(rom_file);
  uint64_t size = 0;
  if (!GetStreamFileSize(rom_file, &size)) rom_transfer_failed = true;
  return static_cast<uint32_t>(size);
}

uint32_t ReadRomWord(uint32_t offset) {
  uint8_t bytes[2] = {0, 0};
  if (rom_file == nullptr) return 0;
  SeekRom(offset);
  if (std::fread(bytes, 1, 2, rom_file) != 2) return 0;
  return static_cast<uint32_t>(bytes[0] | bytes[1] << 8);
}

void ReadRomBytes(uint32_t offset, uint8_t* out, uint32_t count) {
  if (rom_file == nullptr) return;
  SeekRom(offset);
  // Byte-sized items: a short read stores only the bytes it got.
  (void)std::fread(out, 1, count, rom_file);
}

void WriteRomByte(uint32_t offset, uint8_t value) {
  WriteRomBytes(offset, &value, 1);
}

void WriteRomBytes(uint32_t offset, const uint8_t* bytes, uint32_t count) {
  if (rom_file == nullptr || !PrepareWrite()) return;
  SeekRom(offset);
  WriteRom(bytes, count);
}

bool WriteZeroBytes(uint32_t offset, uint32_t count) {
  if (rom_file == nullptr || count == 0) return false;
  if (!PrepareWrite()) return true;
  // Past the end of the file the system supplies the zeros: the new length is enough.
  const uint32_t length = RomFileLength();
  const uint32_t end = offset + count;
  if (end > length) {
    if (!SetStreamFileSize(rom_file, end)) rom_transfer_failed = true;
    if (offset >= length) return true;
    count = length - offset;
  }
  std::clearerr(rom_file);
  uint32_t chunk = count < kZeroChunk ? count : kZeroChunk;
  uint8_t* zeros = static_cast<uint8_t*>(std::calloc(chunk, 1));
  SeekRom(offset);
  if (zeros != nullptr) {
    for (uint32_t remaining = count; remaining != 0;) {
      WriteRom(zeros, chunk);
      remaining -= chunk;
      if (remaining < chunk) chunk = remaining;
    }
    std::free(zeros);
  } else {
    const uint8_t zero = 0;
    for (uint32_t i = 0; i < count; ++i) WriteRom(&zero, 1);
  }
  return true;
}

void CopyBank(uint32_t from, uint32_t to) {
  if (rom_file == nullptr || !PrepareWrite()) return;
  SeekRom(from);
  // Every route reads inside the file it has already enlarged; a short read is an I/O fault.
  if (std::fread(bank_buffer, 1, kBankSize, rom_file) != kBankSize) {
    rom_transfer_failed = true;
    return;
  }
  SeekRom(to);
  WriteRom(bank_buffer, kBankSize);
}

bool RomWritesSettled() {
  if (rom_file == nullptr) return false;
  if (std::fflush(rom_file) != 0 || std::ferror(rom_file)) rom_transfer_failed = true;
  return !rom_transfer_failed;
}

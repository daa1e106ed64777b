// The platform operations that the engine and the command line use, on internal text (UTF-8).
// One implementation per platform provides them with the same behaviour.
#pragma once

#include <cstdint>
#include <cstdio>

// An owner window for messages; none on the command line.
using WindowHandle = void*;

// Message-box styles used for notifications.
inline constexpr uint32_t kIconNone = 0x00;
inline constexpr uint32_t kIconWarning = 0x30;
inline constexpr uint32_t kIconInformation = 0x40;

// File attribute bits returned by GetFileAttributesUtf8.
inline constexpr uint32_t kAttributesInvalid = 0xFFFFFFFF;
inline constexpr uint32_t kAttributeReadOnly = 0x01;
inline constexpr uint32_t kAttributeDirectory = 0x10;
inline constexpr uint32_t kAttributeNormal = 0x80;

// How a user makes a read-only file writable with the platform's own tools: the text of the
// read-only message.
extern const char kReadOnlyAdvice[];

// Opens a regular file as a C stream; null when it cannot be opened. A file without any write
// permission counts as read-only and is not opened for writing, whoever asks.
FILE* OpenFileUtf8(const char* path, const char* mode);

// Opens the regular file at `path` for a run that rewrites it, with OpenFileUtf8's refusals for
// "r+b", and holds it against every other such run (on Windows, against every other writer)
// until CloseExclusiveFile. Null when it cannot; `*in_use` then tells whether another run or
// program holds the file.
FILE* OpenFileExclusiveUtf8(const char* path, bool* in_use);
// Closes what OpenFileExclusiveUtf8 opened (`stream` is null when the commit has closed it) and
// lets other runs at the file.
void CloseExclusiveFile(FILE* stream);

// A run builds its result in a working copy beside the ROM and puts it in the ROM's place only
// when it is complete, so the ROM is always either as it was or the whole result. One working
// copy exists at a time.

// Creates a new, empty working copy in the directory of the file at `path` (of a symbolic
// link's target), named after it, and opens it "w+b"; null when it cannot. A run stopped by
// Ctrl+C, a termination request or a closed console removes it.
FILE* CreateWorkingCopyUtf8(const char* path);
// Writes the working copy through to the disk and atomically puts it in place of the file at
// `path`, with that file's permissions. Closes `copy`, and `*rom` (setting it to null) where
// an open file cannot be replaced. True once the result is durably under the ROM's name;
// otherwise the copy is removed and the ROM is as it was, and `*in_use` tells whether another
// program held the ROM or put another file in its place.
bool ReplaceWithWorkingCopyUtf8(FILE* copy, FILE** rom, const char* path, bool* in_use);
// Closes and removes the working copy.
void DiscardWorkingCopy(FILE* copy);

// A backup keeps the held ROM at `path` as it was, beside it under a new name: NAME.bak, else
// NAME.1.bak, NAME.2.bak and so on, never an existing file's. It is made right before the
// commit replaces the ROM. Where the file system links files the name is linked to the ROM
// (`*linked`, null returned): nothing is copied. Elsewhere the new empty file is returned for
// the caller to fill from the ROM. Null, `*linked` false, when no name can be made.
FILE* CreateBackupUtf8(FILE* rom, const char* path, bool* linked);
// Closes a backup (`copy` null for a linked one), written through when `filled`, and syncs its
// folder: the backup is durable. Otherwise, or when that fails, removes it and returns false.
bool FinishBackup(FILE* copy, bool filled);
// Removes the backup of a run whose commit failed.
void DiscardBackup();

// Shows a modal message owned by `owner`; returns the button pressed, 0 when nothing was shown.
int MessageBoxUtf8(WindowHandle owner, const char* text, const char* title, uint32_t style);

// Attribute bits of the file at `path`, kAttributesInvalid when it cannot be queried.
uint32_t GetFileAttributesUtf8(const char* path);

// Stores the current directory in `buffer` when it fits with its terminator and returns its
// length; otherwise leaves the empty text and returns the size needed, or 0 on failure.
uint32_t GetCurrentDirectoryUtf8(uint32_t capacity, char* buffer);

// Size in bytes of the file behind `stream`, after its buffered writes; false when unknown.
bool GetStreamFileSize(FILE* stream, uint64_t* out_size);
// Sets the length of the file behind `stream`, after its buffered writes. A longer file reads
// zeros in its new part, which the file system supplies: kept sparse where it can be, zeroed by
// the system where it cannot. False when the length cannot be set.
bool SetStreamFileSize(FILE* stream, uint64_t size);

enum class SystemCopy {
  kCopied,       // done
  kUnsupported,  // the platform or file system has no such copy: copy through a buffer
  kFailed,       // an I/O error
};
// Copies `count` bytes of `from` at `from_offset` (fewer where it ends first) to `to` at
// `to_offset`, inside the system, after both streams' buffered writes: a clone that shares the
// blocks where the file system has them (btrfs, XFS), else an in-kernel copy.
SystemCopy CopyFileDataInSystem(FILE* from, uint64_t from_offset, FILE* to, uint64_t to_offset,
                                uint64_t count);

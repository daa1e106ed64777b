#include "rom_job.h"

#include "expansion_job.h"
#include "notify.h"
#include "rom_file.h"

bool keep_backups = false;

bool BeginRomJob(WindowHandle owner) {
  if (OpenRomFile(rom_path, RomAccess::kUpdate)) return true;
  if (RomFileInUse()) {
    Notify(owner, Message::kInUse);
    return false;
  }
  const uint32_t attributes = GetFileAttributesUtf8(rom_path);
  const bool read_only = attributes != kAttributesInvalid && (attributes & kAttributeReadOnly) != 0;
  Notify(owner, read_only ? Message::kReadOnly : Message::kCannotOpen);
  return false;
}

bool EndRomJob(WindowHandle owner, bool succeeded, std::initializer_list<Message> outcomes) {
  if (succeeded && RomFileWritten()) succeeded = CommitRomFile(keep_backups);
  const bool no_working_copy = RomWorkingCopyFailed();
  const bool no_backup = RomBackupFailed();
  const bool in_use = RomFileInUse();
  CloseRomFile();
  if (!succeeded) {
    if (no_working_copy) Notify(owner, Message::kNoWorkingCopy);
    if (no_backup) Notify(owner, Message::kNoBackup);
    if (in_use) Notify(owner, Message::kInUse);
    Notify(owner, Message::kFailed);
    return false;
  }
  for (const Message outcome : outcomes) Notify(owner, outcome);
  return true;
}

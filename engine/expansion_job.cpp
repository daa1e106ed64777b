#include "expansion_job.h"

#include "notify.h"
#include "rom_file.h"
#include "routes.h"
#include "size_code.h"

char rom_path[kRomPathCapacity];

bool RunExpansionJob(WindowHandle owner, uint32_t size_code) {
  if (!OpenRomFile(rom_path)) {
    const uint32_t attributes = GetFileAttributesUtf8(rom_path);
    const bool read_only =
        attributes != kAttributesInvalid && (attributes & kAttributeReadOnly) != 0;
    Notify(owner, read_only ? Message::kReadOnly : Message::kCannotOpen);
    return false;
  }
  const uint32_t length_before = RomFileLength();
  const uint32_t result = ExpandRom(owner, size_code);
  const uint32_t length_after = RomFileLength();
  CloseRomFile();

  if (result == 0) {
    Notify(owner, Message::kFailed);
    return false;
  }
  Notify(owner, length_before != length_after ? Message::kDone : Message::kNoEffect);
  return true;
}

uint32_t ExpandRom(WindowHandle owner, uint32_t size_code) {
  RouteStart rom;
  uint32_t result = 0;
  if (!StartRoute(size_code, &rom, &result)) return result;
  if (rom.target <= kPlainLimit) return ExpandPlain(rom.target, rom.file_length);
  if (size_code & kSpecialChipSelector) return ExpandSpecialChip(owner, size_code);
  if (size_code & kExLoRomSelector) return ExpandExLoRom(owner, size_code);
  return ExpandExHiRom(owner, size_code);
}

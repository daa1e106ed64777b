#include "expansion_job.h"

#include "checksum_job.h"
#include "notify.h"
#include "rom_file.h"
#include "rom_job.h"
#include "routes.h"
#include "size_code.h"

char rom_path[kRomPathCapacity];

bool RunExpansionJob(WindowHandle owner, uint32_t size_code, bool fix_checksum) {
  if (!BeginRomJob(owner)) return false;
  bool succeeded = ExpandRom(owner, size_code) != 0;
  const Message expansion = RomFileWritten() ? Message::kDone : Message::kNoEffect;
  // The fix works on the expansion's working copy, so one replace commits both.
  bool fixed = false;
  if (succeeded && fix_checksum) succeeded = FixRomChecksum(owner, &fixed);
  if (fixed) return EndRomJob(owner, succeeded, {expansion, Message::kChecksumDone});
  return EndRomJob(owner, succeeded, {expansion});
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

#include "expansion_job.h"

#include "notify.h"
#include "rom_file.h"
#include "rom_job.h"
#include "routes.h"
#include "size_code.h"

char rom_path[kRomPathCapacity];

bool RunExpansionJob(WindowHandle owner, uint32_t size_code) {
  if (!BeginRomJob(owner)) return false;
  return EndRomJob(owner, ExpandRom(owner, size_code) != 0);
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

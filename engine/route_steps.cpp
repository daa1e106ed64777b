#include "header_probe.h"
#include "rom_file.h"
#include "routes.h"
#include "size_code.h"

bool StartRoute(uint32_t size_code, RouteStart* start, uint32_t* result) {
  *result = 0;
  if (!RomFileIsUsable() || SizeMbit(size_code) > kMaxSizeMbit) return false;
  start->target = TargetBytes(size_code);
  start->file_length = RomFileLength();
  start->header_base = HeaderBase(start->file_length);
  start->old_length = RomDataLength(start->file_length);
  if (start->old_length >= start->target) {
    *result = start->old_length >> kMbitShift;
    return false;
  }
  return true;
}

bool StartProbedRoute(WindowHandle owner, uint32_t size_code, RouteStart* start, uint32_t* result) {
  if (!StartRoute(size_code, start, result)) return false;
  start->map_mode = 0;
  start->chipset = 0;
  return ProbeRomHeader(owner, &start->map_mode, &start->chipset, start->header_base);
}

bool PadToTarget(uint32_t file_length, uint32_t target) {
  WriteZeroBytes(file_length, target - RomDataLength(file_length));
  return RomWritesSettled();
}

bool PadToLength(uint32_t length) {
  const uint32_t now = RomFileLength();
  if (now < length) WriteZeroBytes(now, length - now);
  return RomWritesSettled();
}

uint32_t FinishRoute(uint32_t expected_length, uint32_t target) {
  if (!RomWritesSettled() || RomFileLength() != expected_length) return 0;
  return target >> kMbitShift;
}

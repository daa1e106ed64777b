// Plain expansion: zero padding up to the target and the new ROM-size byte; any memory map.
#include "header_probe.h"
#include "rom_file.h"
#include "routes.h"
#include "size_code.h"

namespace {

// The header's ROM-size byte v declares 2^v KiB. These bands are what emulators and existing
// tools expect for each size, so they are kept as they are rather than derived.
uint8_t RomSizeByteFor(uint32_t size_mbit) {
  if (size_mbit <= 3) return 0x08;
  if (size_mbit <= 7) return 0x09;
  if (size_mbit <= 9) return 0x0A;
  if (size_mbit <= 20) return 0x0B;
  return 0x0C;
}

}  // namespace

uint32_t ExpandPlain(uint32_t target, uint32_t file_length) {
  const uint32_t header_base = HeaderBase(file_length);
  if (!PadToTarget(file_length, target)) return 0;
  // Looked for after the fill: a pair beyond the old end of the file now reads as zeros.
  const uint32_t header = FindInternalHeader(header_base);
  if (header != 0) WriteRomByte(header + kRomSizeField, RomSizeByteFor(target >> kMbitShift));
  return FinishRoute(header_base + target, target);
}

#include "header_probe.h"

#include "notify.h"
#include "rom_file.h"

bool ChecksumPairValid(uint32_t header) {
  return (ReadRomWord(header + kChecksumField) ^ ReadRomWord(header + kComplementField)) == 0xFFFF;
}

namespace {

uint8_t MapModeAt(uint32_t header) {
  uint8_t map_mode = 0;
  ReadRomBytes(header + kMapModeField, &map_mode, 1);
  return map_mode;
}

}  // namespace

bool IsLoRomMapMode(uint8_t map_mode) {
  switch (map_mode) {
    case 0x20:
    case 0x22:
    case 0x23:
    case 0x30:
    case 0x32:
    case 0x33:
      return true;
    default:
      return false;
  }
}

bool IsHiRomMapMode(uint8_t map_mode) {
  switch (map_mode) {
    case 0x21:
    case 0x25:
    case 0x31:
    case 0x35:
      return true;
    default:
      return false;
  }
}

uint32_t FindInternalHeader(uint32_t header_base) {
  const uint32_t lo = header_base + kLoRomHeader;
  const uint32_t hi = header_base + kHiRomHeader;
  const bool lo_valid = ChecksumPairValid(lo);
  const bool hi_valid = ChecksumPairValid(hi);
  // A HiROM's bank 0 is game data, where a word and its complement can meet by chance; only
  // the map mode bytes can then tell which position is the header.
  if (lo_valid && hi_valid && IsHiRomMapMode(MapModeAt(hi)) && !IsLoRomMapMode(MapModeAt(lo))) {
    return hi;
  }
  if (lo_valid) return lo;
  if (hi_valid) return hi;
  return 0;
}

bool ProbeRomHeader(WindowHandle owner, uint8_t* map_mode, uint8_t* chipset, uint32_t header_base) {
  const uint32_t header = FindInternalHeader(header_base);
  if (header == 0) {
    Notify(owner, Message::kUnknownMapType);
    return false;
  }
  uint8_t bytes[2] = {*map_mode, *chipset};
  ReadRomBytes(header + kMapModeField, bytes, 2);
  *map_mode = bytes[0];
  *chipset = bytes[1];
  return true;
}

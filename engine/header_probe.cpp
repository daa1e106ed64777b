#include "header_probe.h"

#include "notify.h"
#include "rom_file.h"

namespace {

bool ChecksumPairValid(uint32_t header) {
  return (ReadRomWord(header + kChecksumField) ^ ReadRomWord(header + kComplementField)) == 0xFFFF;
}

}  // namespace

uint32_t FindInternalHeader(uint32_t header_base) {
  if (ChecksumPairValid(header_base + kLoRomHeader)) return header_base + kLoRomHeader;
  if (ChecksumPairValid(header_base + kHiRomHeader)) return header_base + kHiRomHeader;
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

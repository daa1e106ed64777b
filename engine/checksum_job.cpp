#include "checksum_job.h"

#include "header_probe.h"
#include "notify.h"
#include "rom_checksum.h"
#include "rom_file.h"
#include "rom_job.h"

bool FixRomChecksum(WindowHandle owner, bool* changed) {
  *changed = false;
  if (!RomFileIsUsable()) return false;
  const uint32_t file_length = RomFileLength();
  uint32_t headers[2] = {};
  const uint32_t count = FindChecksumHeaders(file_length, headers);
  if (count == 0) {
    Notify(owner, Message::kChecksumMapUnknown);
    return false;
  }
  const uint16_t checksum = ComputeRomChecksum(file_length, headers, count);
  const uint16_t complement = static_cast<uint16_t>(~checksum);
  const uint8_t pair[4] = {static_cast<uint8_t>(complement), static_cast<uint8_t>(complement >> 8),
                           static_cast<uint8_t>(checksum), static_cast<uint8_t>(checksum >> 8)};
  for (uint32_t h = 0; h < count; ++h) {
    if (!ChecksumPairsHold(&headers[h], 1, checksum)) {
      WriteRomBytes(headers[h] + kComplementField, pair, sizeof(pair));
      *changed = true;
    }
  }
  return RomWritesSettled();
}

bool RunChecksumJob(WindowHandle owner) {
  if (!BeginRomJob(owner)) return false;
  bool fixed = false;
  const bool succeeded = FixRomChecksum(owner, &fixed);
  return EndRomJob(owner, succeeded, {fixed ? Message::kChecksumDone : Message::kChecksumNoEffect});
}

#include "copier_header_job.h"

#include "copier_header.h"
#include "notify.h"
#include "rom_file.h"
#include "rom_job.h"

namespace {

bool Refuse(WindowHandle owner, Message why) {
  Notify(owner, why);
  return EndRomJob(owner, false, {});
}

}  // namespace

bool RunRemoveHeaderJob(WindowHandle owner) {
  if (!BeginRomJob(owner)) return false;
  if (!RomFileIsUsable()) return EndRomJob(owner, false, {});
  const uint32_t length = RomFileLength();
  if (HeaderBase(length) == 0) return EndRomJob(owner, true, {Message::kNoCopierHeader});
  if (RomDataLength(length) < kBankSize) return Refuse(owner, Message::kHeaderRemovalShort);
  const bool removed = ReshapeRomFile(nullptr, 0, kCopierHeaderSize) && RomWritesSettled();
  return EndRomJob(owner, removed, {Message::kHeaderRemoved});
}

bool RunAddHeaderJob(WindowHandle owner) {
  if (!BeginRomJob(owner)) return false;
  if (!RomFileIsUsable()) return EndRomJob(owner, false, {});
  const uint32_t length = RomFileLength();
  if (HeaderBase(length) != 0) return EndRomJob(owner, true, {Message::kHasCopierHeader});
  if (length < kBankSize) return Refuse(owner, Message::kHeaderAdditionShort);
  // The length has bit 0x200 clear, so the header adds it without a carry: the file's length
  // still fits 32 bits, and the header is seen.
  uint8_t header[kCopierHeaderSize];
  MakeCopierHeader(length, header);
  const bool added = ReshapeRomFile(header, kCopierHeaderSize, 0) && RomWritesSettled();
  return EndRomJob(owner, added, {Message::kHeaderAdded});
}

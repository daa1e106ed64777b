// Every user-visible text of the engine, as title and text pairs with their icon class.
#pragma once

#include <cstdint>

enum class Message {
  kCannotOpen,      // the text is the ROM path
  kCannotRead,      // -Info cannot open the file; the text is the ROM path
  kReadOnly,        // open failed on a read-only file
  kInUse,           // another run or program holds the file; the text is the ROM path
  kUnknownMapType,  // no valid checksum pair
  kNotSpecialChip,  // special-chip route refused the image
  kNotLoRom,        // ExLoROM route refused the image
  kLoRomTooLarge,   // ExHiROM route: LoROM above 8 Mbit
  kNotHiOrLoRom,    // ExHiROM route: neither HiROM nor LoROM
  kNoWorkingCopy,   // no working copy could be made beside the ROM
  kNoBackup,        // the backup asked for could not be made
  kFailed,          // the route returned 0, or its result could not replace the ROM
  kNoEffect,        // the file length did not change
  kDone,            // the file length changed

  kChecksumMapUnknown,  // checksum fix: no valid checksum pair
  kChecksumNoEffect,    // checksum fix: every pair already held the sum
  kChecksumDone,        // checksum fix: a pair was written

  kHeaderRemovalShort,   // copier header removal: no ROM data of a bank after the header
  kHeaderAdditionShort,  // copier header addition: less than a bank of ROM data
  kNoCopierHeader,       // copier header removal: the length has no header
  kHasCopierHeader,      // copier header addition: the length has a header already
  kHeaderRemoved,
  kHeaderAdded,
};

struct MessageEntry {
  const char* title;
  const char* text;
  uint32_t icon;
};

const MessageEntry& LookUpMessage(Message message);

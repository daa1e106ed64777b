// Every user-visible text of the engine, as title and text pairs with their icon class.
#pragma once

#include <cstdint>

enum class Message {
  kCannotOpen,      // the text is the ROM path
  kReadOnly,        // open failed on a read-only file
  kInUse,           // another run or program holds the file; the text is the ROM path
  kUnknownMapType,  // no valid checksum pair
  kNotSpecialChip,  // special-chip route refused the image
  kNotLoRom,        // ExLoROM route refused the image
  kLoRomTooLarge,   // ExHiROM route: LoROM above 8 Mbit
  kNotHiOrLoRom,    // ExHiROM route: neither HiROM nor LoROM
  kNoWorkingCopy,   // no working copy could be made beside the ROM
  kFailed,          // the route returned 0, or its result could not replace the ROM
  kNoEffect,        // the file length did not change
  kDone,            // the file length changed

  kChecksumMapUnknown,  // checksum fix: no valid checksum pair
  kChecksumNoEffect,    // checksum fix: every pair already held the sum
  kChecksumDone,        // checksum fix: a pair was written
};

struct MessageEntry {
  const char* title;
  const char* text;
  uint32_t icon;
};

const MessageEntry& LookUpMessage(Message message);

// Every user-visible text of the engine, as title and text pairs with their icon class.
#pragma once

#include <cstdint>

enum class Message {
  kCannotOpen,      // the text is the ROM path
  kReadOnly,        // open failed on a read-only file
  kUnknownMapType,  // no valid checksum pair
  kNotSpecialChip,  // special-chip route refused the image
  kNotLoRom,        // ExLoROM route refused the image
  kLoRomTooLarge,   // ExHiROM route: LoROM above 8 Mbit
  kNotHiOrLoRom,    // ExHiROM route: neither HiROM nor LoROM
  kFailed,          // the route returned 0
  kNoEffect,        // the file length did not change
  kDone,            // the file length changed
};

struct MessageEntry {
  const char* title;
  const char* text;
  uint32_t icon;
};

const MessageEntry& LookUpMessage(Message message);

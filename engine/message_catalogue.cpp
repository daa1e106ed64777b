#include "message_catalogue.h"

#include "platform_calls.h"

namespace {

// Indexed by Message.
constexpr MessageEntry kCatalogue[] = {
    {"Couldn't open file for writing!", nullptr, kIconWarning},
    {"Couldn't open file for reading!", nullptr, kIconWarning},
    {"The file is marked as \"Read-Only\"!", kReadOnlyAdvice, kIconWarning},
    {"ROM file is in use by another program!", nullptr, kIconWarning},
    {"Expansion Canceled!", "Cannot determine ROM memory map type.", kIconWarning},
    {"Expansion Canceled!", "This is not an SA-1 or S-DD1 game!", kIconWarning},
    {"Expansion Canceled!", "This is not a LoROM game!", kIconWarning},
    {"Expansion Canceled!", "Cannot convert LoROM games > 8 mbits to ExHiROM.", kIconWarning},
    {"Expansion Canceled!", "Cannot convert a non-HiROM or non-LoROM game to ExHiROM.",
     kIconWarning},
    {"Couldn't make a working copy of the ROM!",
     "Its folder must be writable and have room for a copy of the ROM.", kIconWarning},
    {"Couldn't make a backup of the ROM!",
     "Its folder must be writable and have room for a copy of the ROM.", kIconWarning},
    {"Failed!", "Operation failed.", kIconWarning},
    {"No Effect!", "The ROM was already this size or higher.", kIconNone},
    {"Done!", "ROM has been expanded.", kIconInformation},
    {"Checksum Fix Canceled!", "Cannot determine ROM memory map type.", kIconWarning},
    {"No Effect!", "The checksum already matches.", kIconNone},
    {"Done!", "Checksum has been fixed.", kIconInformation},
    {"Header Removal Canceled!", "The file is too short to hold a ROM after a copier header.",
     kIconWarning},
    {"Header Addition Canceled!", "The file is too short to be a ROM image.", kIconWarning},
    {"No Effect!", "The ROM has no copier header.", kIconNone},
    {"No Effect!", "The ROM already has a copier header.", kIconNone},
    {"Done!", "Copier header has been removed.", kIconInformation},
    {"Done!", "Copier header has been added.", kIconInformation},
};

static_assert(sizeof(kCatalogue) / sizeof(kCatalogue[0]) ==
              static_cast<int>(Message::kHeaderAdded) + 1);

}  // namespace

const MessageEntry& LookUpMessage(Message message) {
  return kCatalogue[static_cast<int>(message)];
}

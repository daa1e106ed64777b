#include "message_catalogue.h"

#include "platform_calls.h"

namespace {

// Indexed by Message.
constexpr MessageEntry kCatalogue[] = {
    {"Couldn't open file for writing!", nullptr, kIconWarning},
    {"The file is marked as \"Read-Only\"!", kReadOnlyAdvice, kIconWarning},
    {"Expansion Canceled!", "Cannot determine ROM memory map type.", kIconWarning},
    {"Expansion Canceled!", "This is not an SA-1 or S-DD1 game!", kIconWarning},
    {"Expansion Canceled!", "This is not a LoROM game!", kIconWarning},
    {"Expansion Canceled!", "Cannot convert LoROM games > 8 mbits to ExHiROM.", kIconWarning},
    {"Expansion Canceled!", "Cannot convert a non-HiROM or non-LoROM game to ExHiROM.",
     kIconWarning},
    {"Failed!", "Operation failed.", kIconWarning},
    {"No Effect!", "The ROM was already this size or higher.", kIconNone},
    {"Done!", "ROM has been expanded.", kIconInformation},
};

static_assert(sizeof(kCatalogue) / sizeof(kCatalogue[0]) == static_cast<int>(Message::kDone) + 1);

}  // namespace

const MessageEntry& LookUpMessage(Message message) {
  return kCatalogue[static_cast<int>(message)];
}

#pragma once

#include <span>

namespace mvx {

// One text of the message table for one slot.
struct MessageText {
    int slot;
    const char* text;
};

// The Japanese and the English texts, each sorted by slot.
std::span<const MessageText> japaneseMessageTexts();
std::span<const MessageText> englishMessageTexts();

} // namespace mvx

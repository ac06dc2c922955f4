#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mvx {

// Texts in fixed byte fields: UTF-8, never cut inside a character.
class TextFields {
public:
    // The longest prefix of text that fits maxBytes bytes without cutting a character.
    static std::string truncate(const std::string& text, size_t maxBytes);
    // Copies text into a zero-padded field of fieldSize bytes (no terminator when it fills the field).
    static void put(uint8_t* field, size_t fieldSize, const std::string& text);
    // The text of a field: up to the first zero byte or the field's end.
    static std::string get(const uint8_t* field, size_t fieldSize);
    // Length in "half-size" characters: a character that Shift-JIS writes in
    // two bytes (or cannot write) counts 2, ASCII and half-width katakana 1.
    static size_t halfSizeLength(const std::string& text);
};

} // namespace mvx

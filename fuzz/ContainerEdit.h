#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace mvx::fuzz {

// One edit of a container's structure: bytes cut at the front, at the end or
// anywhere, bytes inserted, or a length field changed (record units, body
// length, history units, the sender key's length word). None flips a body
// bit, so whatever a reader accepts after one such edit must still decrypt to
// the original plain bytes.
struct ContainerEdit {
    enum Kind : uint8_t { kCutFront, kCutBack, kCutRange, kInsert, kLengthField, kKinds };

    Kind kind = kCutFront;
    uint32_t position = 0;
    uint32_t amount = 0;
    uint8_t fill = 0;

    static constexpr size_t kEncodedSize = 10;

    // kind, position (4 bytes, little endian), amount (4 bytes), fill.
    static ContainerEdit decode(const uint8_t* data)
    {
        auto word = [data](size_t at) {
            return static_cast<uint32_t>(data[at]) | static_cast<uint32_t>(data[at + 1]) << 8 |
                   static_cast<uint32_t>(data[at + 2]) << 16 | static_cast<uint32_t>(data[at + 3]) << 24;
        };
        return {static_cast<Kind>(data[0] % kKinds), word(1), word(5), data[9]};
    }

    std::vector<uint8_t> applyTo(std::vector<uint8_t> bytes) const
    {
        if (bytes.empty())
            return bytes;
        const size_t size = bytes.size();
        const size_t cut = 1 + amount % size;
        const auto at = [&bytes](size_t offset) { return bytes.begin() + static_cast<std::ptrdiff_t>(offset); };
        switch (kind) {
        case kCutFront: bytes.erase(bytes.begin(), at(cut)); break;
        case kCutBack: bytes.erase(at(size - cut), bytes.end()); break;
        case kCutRange: {
            const size_t from = position % size;
            bytes.erase(at(from), at(std::min(size, from + cut)));
            break;
        }
        case kInsert: {
            std::vector<uint8_t> inserted(1 + amount % 1024);
            for (size_t i = 0; i < inserted.size(); ++i)
                inserted[i] = static_cast<uint8_t>(fill ^ i);
            bytes.insert(at(position % (size + 1)), inserted.begin(), inserted.end());
            break;
        }
        default: addToLengthField(bytes); break;
        }
        return bytes;
    }

private:
    static uint32_t getWord(const std::vector<uint8_t>& bytes, size_t at)
    {
        return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
               static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
    }
    static void putWord(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            bytes[at + static_cast<size_t>(i)] = static_cast<uint8_t>(value >> (8 * i));
    }

    void addToLengthField(std::vector<uint8_t>& bytes) const
    {
        constexpr size_t kTrailer = 48;
        if (bytes.size() < kTrailer)
            return;
        const size_t trailer = bytes.size() - kTrailer;
        size_t field = 0;
        switch (position % 4) {
        case 0: field = trailer + 4; break;   // record and history units
        case 1: field = trailer + 16; break;  // body length
        case 2: field = trailer + 40; break;  // history units
        default:                              // the sender key's length word after body and names
            field = static_cast<size_t>(getWord(bytes, trailer + 16)) + 80;
            if (field + 4 > trailer)
                return;
        }
        putWord(bytes, field, getWord(bytes, field) + (amount == 0 ? 1 : amount));
    }
};

} // namespace mvx::fuzz

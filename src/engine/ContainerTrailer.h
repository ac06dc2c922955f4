#pragma once

#include <array>
#include <cstdint>

namespace mvx {

// The 48 bytes at the very end of a container that make it self-describing.
struct ContainerTrailer {
    static constexpr int kSize = 48;
    static constexpr uint8_t kFlagTimeLimit = 0x02;
    static constexpr uint8_t kFlagOldHistory = 0x04;
    static constexpr uint8_t kFlagSenderAttachment = 0x08;
    static constexpr uint8_t kFlagHistory = 0x10;

    std::array<uint8_t, kSize> bytes{};

    // A fresh trailer for the batch option word (1 time limit, 4 attach, 8 history).
    static ContainerTrailer forOptionWord(uint32_t optionWord);
    static uint8_t flagsForOptionWord(uint32_t optionWord) { return optionWord == 1 ? 0 : static_cast<uint8_t>(2 * optionWord); }
    static ContainerTrailer fromBytes(const uint8_t* data);

    bool hasMagic() const;
    // Format version 1.0.0 with flags 0..31, and the fixed words at 32, 34 and 36.
    bool isSupportedVersion() const;
    uint8_t flags() const { return bytes[27]; }
    bool hasFlag(uint8_t flag) const { return (flags() & flag) != 0; }
    // Whether the records' time-limit field counts: flag 0x02 says so, and a
    // limit alone is written with no flag at all (option word 1 gives flags 0).
    // Any other flags without 0x02 mean the container was made without a limit.
    bool timeLimitApplies() const { return hasFlag(kFlagTimeLimit) || flags() == 0; }
    uint32_t unitCount() const;  // 256-byte units before the trailer
    void setUnitCount(uint32_t count);
    uint32_t bodyLength() const;
    void setBodyLength(uint32_t length);
    uint32_t historyUnits() const;  // offset 40
    void setHistoryUnits(uint32_t units);
};

} // namespace mvx

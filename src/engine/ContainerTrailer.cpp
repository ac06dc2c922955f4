#include "engine/ContainerTrailer.h"

#include "platform/LittleEndian.h"

#include <cstring>

namespace mvx {

ContainerTrailer ContainerTrailer::forOptionWord(uint32_t optionWord)
{
    ContainerTrailer t;
    std::memcpy(t.bytes.data(), "KLX!", 4);
    const uint8_t flags = flagsForOptionWord(optionWord);
    for (int at : {20, 24}) {
        t.bytes[at] = 1;
        t.bytes[at + 3] = flags;
    }
    putLe16(t.bytes.data() + 34, 1);
    return t;
}

ContainerTrailer ContainerTrailer::fromBytes(const uint8_t* data)
{
    ContainerTrailer t;
    std::memcpy(t.bytes.data(), data, kSize);
    return t;
}

bool ContainerTrailer::hasMagic() const { return std::memcmp(bytes.data(), "KLX!", 4) == 0; }

bool ContainerTrailer::isSupportedVersion() const
{
    // Each byte counts as signed, so a byte at or above 0x80 reads as a newer version.
    auto signedByte = [this](int at) {
        return static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(bytes[at])));
    };
    const uint32_t version = (signedByte(24) << 24) | (signedByte(25) << 16) | (signedByte(26) << 8) | signedByte(27);
    return version <= 0x0100001Fu && getLe16(bytes.data() + 32) == 0 && getLe16(bytes.data() + 34) == 1 &&
           getLe32(bytes.data() + 36) == 0;
}

uint32_t ContainerTrailer::unitCount() const { return getLe32(bytes.data() + 4); }
void ContainerTrailer::setUnitCount(uint32_t count) { putLe32(bytes.data() + 4, count); }
uint32_t ContainerTrailer::bodyLength() const { return getLe32(bytes.data() + 16); }
void ContainerTrailer::setBodyLength(uint32_t length) { putLe32(bytes.data() + 16, length); }
uint32_t ContainerTrailer::historyUnits() const { return getLe32(bytes.data() + 40); }
void ContainerTrailer::setHistoryUnits(uint32_t units) { putLe32(bytes.data() + 40, units); }

} // namespace mvx

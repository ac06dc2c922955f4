#include "engine/SenderTag.h"

#include "engine/Crc64.h"
#include "engine/KeystreamEngine.h"

#include <vector>

namespace mvx {

const std::array<uint32_t, SenderTag::kKeyWords>& SenderTag::fingerprintKey()
{
    static const std::array<uint32_t, kKeyWords> key = {0x3A5C1, 0x0F27B, 0xB1E94, 0x6D0A3,
                                                        0x58C7E, 0xE2F15, 0x1B6D9, 0x947A2};
    return key;
}

uint64_t SenderTag::crcOfBlob(const uint8_t* blob, size_t length)
{
    std::vector<uint8_t> transformed(length);
    KeystreamEngine engine;
    engine.setWordCount(KeystreamEngine::kWords);
    engine.initialise(fingerprintKey().data());
    engine.transformBuffer(blob, length, transformed.data());
    return crc64we(transformed.data(), transformed.size());
}

} // namespace mvx

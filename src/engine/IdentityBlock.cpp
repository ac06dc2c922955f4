#include "engine/IdentityBlock.h"

#include "engine/CSHA.h"
#include "engine/KeystreamEngine.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"
#include "platform/TextFields.h"

#include <cstring>
#include <mutex>

namespace mvx {

namespace {

// The program tag as the program carries it: enciphered with its own key words.
constexpr std::array<uint32_t, 8> kProgramTagKey = {0x1D3B7, 0x8E0F4, 0x25A69, 0xC47D2,
                                                    0x6B91E, 0x03F58, 0xFA2C3, 0x47E0D};
constexpr std::array<uint8_t, IdentityBlock::kTagSize> kEncipheredProgramTag = {
    0x53, 0xF6, 0x54, 0x56, 0x19, 0x71, 0x45, 0x58, 0xF9, 0xCB,
    0x6B, 0x65, 0x63, 0x0A, 0x39, 0x31, 0xC0, 0x8F, 0xE5};

std::once_flag g_restoreOnce;
std::array<uint8_t, IdentityBlock::kTagSize> g_programTag{};


} // namespace

void IdentityBlock::restoreProgramTag()
{
    std::call_once(g_restoreOnce, [] {
        KeystreamEngine engine;
        engine.setWordCount(KeystreamEngine::kWords);
        engine.initialise(kProgramTagKey.data());
        engine.transformBuffer(kEncipheredProgramTag.data(), kTagSize, g_programTag.data());
    });
}

const std::array<uint8_t, IdentityBlock::kTagSize>& IdentityBlock::programTag()
{
    restoreProgramTag();
    return g_programTag;
}

std::string IdentityBlock::installationTag() { return "Morvanex/Linux 1.0"; }

std::optional<IdentityBlock> IdentityBlock::fromPrivateKeyFile(std::span<const uint8_t> fileBytes,
                                                               const std::string& installation)
{
    if (fileBytes.size() < 4)
        return std::nullopt;
    const uint64_t afterBlob = 4 + static_cast<uint64_t>(getLe32(fileBytes.data()));
    if (afterBlob + kAfterBlobSize > fileBytes.size() || kFileSliceOffset + kFileSliceSize > fileBytes.size())
        return std::nullopt;
    IdentityBlock block;
    uint8_t* out = block.bytes_.data();
    std::memcpy(out, fileBytes.data() + afterBlob, kAfterBlobSize);
    std::memcpy(out + kAfterBlobSize, fileBytes.data() + kFileSliceOffset, kFileSliceSize);
    std::memcpy(out + kAfterBlobSize + kFileSliceSize, programTag().data(), kTagSize);
    TextFields::put(out + kAfterBlobSize + kFileSliceSize + kTagSize, kTagSize, installation);
    return block;
}

std::optional<IdentityBlock> IdentityBlock::fromPrivateKeyPath(const std::string& path,
                                                               const std::string& installation)
{
    auto bytes = readWholeFile(path, 1024 * 1024);
    if (!bytes)
        return std::nullopt;
    return fromPrivateKeyFile(*bytes, installation);
}

IdentityBlock::Hash IdentityBlock::hash() const
{
    const auto digest = CSHA::digestOf(bytes_.data(), bytes_.size());
    Hash result{};
    std::memcpy(result.data(), digest.data(), kHashSize);
    return result;
}

} // namespace mvx

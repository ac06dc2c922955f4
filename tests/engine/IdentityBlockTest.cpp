#include "engine/IdentityBlock.h"
#include "engine/SenderTag.h"

#include "engine/Crc64.h"
#include "engine/RsaKeyWrapper.h"
#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace mvx;

namespace {

const std::string kVectors = std::string(MORVANEX_TEST_DATA_DIR) + "/containers/";

std::vector<uint8_t> readerPrivateKeyFile() { return readWholeFile(kVectors + "readerPrivate.kpri").value(); }

IdentityBlock::Hash hashOf(const std::vector<uint8_t>& file, const std::string& installation = "tag")
{
    auto block = IdentityBlock::fromPrivateKeyFile(file, installation);
    EXPECT_TRUE(block.has_value());
    return block ? block->hash() : IdentityBlock::Hash{};
}

} // namespace

TEST(IdentityBlock, HashCoversTheBytesAfterTheBlobAndTheFileSlice)
{
    const auto file = readerPrivateKeyFile();
    ASSERT_EQ(file.size(), 648u);
    const auto original = hashOf(file);

    for (size_t offset : {size_t{0} + 150, size_t{199}, size_t{500}, size_t{599}}) {
        auto changed = file;
        changed[offset] ^= 0x01;
        EXPECT_EQ(hashOf(changed), original) << "byte " << offset << " must not enter the hash";
    }
    for (size_t offset : {size_t{200}, size_t{499}, size_t{600}, size_t{647}}) {
        auto changed = file;
        changed[offset] ^= 0x01;
        EXPECT_NE(hashOf(changed), original) << "byte " << offset << " must enter the hash";
    }
}

TEST(IdentityBlock, LayoutOfTheBlock)
{
    const auto file = readerPrivateKeyFile();
    auto block = IdentityBlock::fromPrivateKeyFile(file, "Install");
    ASSERT_TRUE(block);
    const auto& bytes = block->bytes();
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.begin() + 48, file.begin() + 600));
    EXPECT_TRUE(std::equal(bytes.begin() + 48, bytes.begin() + 348, file.begin() + 200));
    EXPECT_TRUE(std::equal(bytes.begin() + 348, bytes.begin() + 367, IdentityBlock::programTag().begin()));
    EXPECT_EQ(std::string(bytes.begin() + 367, bytes.begin() + 374), "Install");
    EXPECT_TRUE(std::all_of(bytes.begin() + 374, bytes.end(), [](uint8_t b) { return b == 0; }));
}

TEST(IdentityBlock, InstallationTagChangesTheHashAndIsStable)
{
    const auto file = readerPrivateKeyFile();
    EXPECT_NE(hashOf(file, "one"), hashOf(file, "two"));
    EXPECT_EQ(IdentityBlock::installationTag(), IdentityBlock::installationTag());
    EXPECT_LE(IdentityBlock::installationTag().size(), IdentityBlock::kTagSize);
}

TEST(IdentityBlock, ProgramTagIsRestoredToPlainText)
{
    const auto& tag = IdentityBlock::programTag();
    EXPECT_TRUE(std::all_of(tag.begin(), tag.end(), [](uint8_t b) { return b >= 0x20 && b < 0x7F; }));
}

TEST(IdentityBlock, ShortFilesGiveNoBlock)
{
    auto file = readerPrivateKeyFile();
    file.resize(647);
    EXPECT_FALSE(IdentityBlock::fromPrivateKeyFile(file));
    EXPECT_FALSE(IdentityBlock::fromPrivateKeyFile({}));
    std::vector<uint8_t> hugeLength(648, 0);
    hugeLength[3] = 0x80;  // blob length far beyond the file
    EXPECT_FALSE(IdentityBlock::fromPrivateKeyFile(hugeLength));
}

TEST(SenderTag, FingerprintKeyWordsAreBelowTwoToTheTwenty)
{
    for (uint32_t word : SenderTag::fingerprintKey())
        EXPECT_LT(word, 1u << 20);
}

TEST(SenderTag, DiffersFromThePlainFingerprintAndBetweenKeys)
{
    const auto reader = RsaKeyWrapper::readBlobFromKeyFile(kVectors + "reader.kpub");
    const auto sender = RsaKeyWrapper::readBlobFromKeyFile(kVectors + "sender.kpub");
    ASSERT_EQ(reader.size(), 148u);
    const uint64_t tag = SenderTag::crcOfBlob(reader.data(), reader.size());
    EXPECT_NE(tag, keyFingerprint(reader.data(), reader.size()));
    EXPECT_NE(tag, SenderTag::crcOfBlob(sender.data(), sender.size()));
    EXPECT_EQ(SenderTag::ofBlob(reader.data(), reader.size()), static_cast<uint32_t>(tag));
}

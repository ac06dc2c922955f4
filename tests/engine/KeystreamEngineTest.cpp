#include "EngineTestUtil.h"
#include "engine/KeystreamEngine.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <openssl/sha.h>

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <fstream>

using namespace mvx;
using namespace mvx::test;

namespace {

const uint32_t kKey[8] = {0x01234567, 0x89ABCDEF, 0xFEDCBA98, 0x76543210,
                          0x0F1E2D3C, 0x4B5A6978, 0x8796A5B4, 0xC3D2E1F0};

void keyed(KeystreamEngine& e, const uint32_t* key = kKey)
{
    e.setWordCount(8);
    ASSERT_EQ(e.initialise(key), 32);
}

std::vector<uint8_t> bufferTransform(const std::vector<uint8_t>& in, const uint32_t* key = kKey)
{
    KeystreamEngine e;
    keyed(e, key);
    std::vector<uint8_t> out(in.size());
    e.transformBuffer(in.data(), in.size(), out.data());
    return out;
}

std::vector<uint8_t> fileTransform(const TempDir& dir, const std::vector<uint8_t>& in, const uint32_t* key = kKey)
{
    writeFile(dir.file("in"), in);
    KeystreamEngine e;
    keyed(e, key);
    int fin = ::open(dir.file("in").c_str(), O_RDONLY);
    int fout = ::open(dir.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_TRUE(e.transformFile(fin, fout));
    ::close(fin);
    ::close(fout);
    return readFile(dir.file("out"));
}

std::vector<uint8_t> pattern(size_t n)
{
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(i * 7 + 3);
    return v;
}

uint32_t parseWord(const std::string& s) { return static_cast<uint32_t>(std::stoul(s, nullptr, 16)); }

} // namespace

TEST(KeystreamEngine, InitialisationMasksAndPacksKeyBits)
{
    KeystreamEngine e;
    keyed(e);
    uint32_t initial[8];
    e.copyInitialState(initial);
    const uint32_t expected[8] = {0x01234567, 0x09ABCDEF, 0x3EDCBA98, 0x36543210,
                                  0x0F1E2D3C, 0x0B5A6978, 0x0796A5B4, 0x0A5AE1F0};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(initial[i], expected[i]) << i;

    // Re-initialising from the copied state rebuilds the same keystream.
    auto a = bufferTransform(pattern(100));
    auto b = bufferTransform(pattern(100), initial);
    EXPECT_EQ(a, b);
}

TEST(KeystreamEngine, IgnoredKeyBitsDoNotChangeTheKeystream)
{
    uint32_t other[8];
    std::copy(kKey, kKey + 8, other);
    for (int i = 0; i < 7; ++i)
        other[i] ^= 0xC0000000u;
    other[7] ^= 0xFFFF0000u;
    EXPECT_EQ(bufferTransform(pattern(200)), bufferTransform(pattern(200), other));
    other[0] ^= 0x10000000u;  // a bit that counts
    EXPECT_NE(bufferTransform(pattern(200)), bufferTransform(pattern(200), other));
}

TEST(KeystreamEngine, OnlyWordCountEightIsKeyed)
{
    KeystreamEngine e;
    EXPECT_EQ(e.wordCount(), -1);
    e.setWordCount(4);
    EXPECT_EQ(e.initialise(kKey), 0);
    EXPECT_FALSE(e.isKeyed());
}

TEST(KeystreamEngine, BufferBlockBoundaries)
{
    KeystreamEngine e;
    keyed(e);
    std::vector<uint8_t> zero(32, 0), out(32, 0xAA);
    // Zero bytes change nothing and do not step.
    e.transformBuffer(zero.data(), 0, out.data());
    EXPECT_EQ(out[0], 0xAA);

    // Exactly 16 bytes do not step: a second 16-byte call uses the same keystream.
    std::vector<uint8_t> first(16), second(16);
    e.transformBuffer(zero.data(), 16, first.data());
    e.transformBuffer(zero.data(), 16, second.data());
    EXPECT_EQ(first, second);

    // 17 bytes step once; the 17th byte is the first byte of the second block.
    auto seventeen = bufferTransform(std::vector<uint8_t>(17, 0));
    auto thirtyTwo = bufferTransform(std::vector<uint8_t>(32, 0));
    EXPECT_EQ(seventeen[16], thirtyTwo[16]);
    EXPECT_TRUE(std::equal(seventeen.begin(), seventeen.end(), thirtyTwo.begin()));
}

TEST(KeystreamEngine, TransformIsItsOwnInverseInPlace)
{
    auto plain = pattern(1000);
    auto data = plain;
    KeystreamEngine e;
    keyed(e);
    e.transformBuffer(data.data(), data.size(), data.data());
    EXPECT_NE(data, plain);
    keyed(e);
    e.transformBuffer(data.data(), data.size(), data.data());
    EXPECT_EQ(data, plain);
}

TEST(KeystreamEngine, FileAndBufferTransformsAgree)
{
    TempDir dir;
    for (size_t n : {0u, 1u, 15u, 16u, 17u, 100u, 4097u}) {
        auto plain = pattern(n);
        EXPECT_EQ(fileTransform(dir, plain), bufferTransform(plain)) << n;
    }
}

TEST(KeystreamEngine, FileTransformContinuesAcrossChunks)
{
    // Sizes around the 1,024,000-byte buffer: a multiple ends with an empty read.
    TempDir dir;
    for (size_t n : {KeystreamEngine::kBufferSize, KeystreamEngine::kBufferSize + 17}) {
        auto plain = pattern(n);
        EXPECT_EQ(fileTransform(dir, plain), bufferTransform(plain)) << n;
    }
}

TEST(KeystreamEngine, FilePartStopsAtCountAndFailsOnShortInput)
{
    TempDir dir;
    auto plain = pattern(5000);
    writeFile(dir.file("in"), plain);
    KeystreamEngine e;
    keyed(e);
    int fin = ::open(dir.file("in").c_str(), O_RDONLY);
    int fout = ::open(dir.file("out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_TRUE(e.transformFilePart(fin, 3008, fout));
    // The remaining 1992 bytes cannot give 4000; they are still written.
    EXPECT_FALSE(e.transformFilePart(fin, 4000, fout));
    ::close(fin);
    ::close(fout);
    auto out = readFile(dir.file("out"));
    ASSERT_EQ(out.size(), 5000u);
    EXPECT_EQ(out, bufferTransform(plain));
}

TEST(KeystreamEngine, LongFilesKeepOrderAcrossReusedBuffers)
{
    // More chunks than the pipeline has buffers, ending in a partial block.
    TempDir dir;
    const size_t n = 6 * KeystreamEngine::kBufferSize + 1237;
    auto plain = pattern(n);
    const auto expected = bufferTransform(plain);
    EXPECT_EQ(fileTransform(dir, plain), expected);

    // A long part stops exactly at its count: what follows is still in the input.
    KeystreamEngine e;
    keyed(e);
    const uint64_t part = 5 * KeystreamEngine::kBufferSize + 32;
    int fin = ::open(dir.file("in").c_str(), O_RDONLY);
    int fout = ::open(dir.file("part").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    EXPECT_TRUE(e.transformFilePart(fin, part, fout));
    uint8_t next = 0;
    ASSERT_EQ(::read(fin, &next, 1), 1);
    EXPECT_EQ(next, plain[part]);
    // A long part the input cannot fill fails after writing what there was.
    EXPECT_FALSE(e.transformFilePart(fin, 2 * KeystreamEngine::kBufferSize, fout));
    ::close(fin);
    ::close(fout);
    auto out = readFile(dir.file("part"));
    EXPECT_EQ(out.size(), n - 1);
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<long>(part), expected.begin()));

    // A long write failure is reported, not swallowed by the helper threads.
    fin = ::open(dir.file("in").c_str(), O_RDONLY);
    fout = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(fout, 0);
    EXPECT_FALSE(e.transformFile(fin, fout));
    ::close(fin);
    ::close(fout);
}

TEST(KeystreamEngine, WriteFailureIsReported)
{
    TempDir dir;
    writeFile(dir.file("in"), pattern(100));
    KeystreamEngine e;
    keyed(e);
    int fin = ::open(dir.file("in").c_str(), O_RDONLY);
    int fout = ::open("/dev/full", O_WRONLY);
    ASSERT_GE(fout, 0);
    EXPECT_FALSE(e.transformFile(fin, fout));
    ::close(fin);
    ::close(fout);
}

TEST(KeystreamEngine, ClearKeepsOrDropsWordCount)
{
    KeystreamEngine e;
    keyed(e);
    e.clear(true);
    EXPECT_FALSE(e.isKeyed());
    EXPECT_EQ(e.wordCount(), 8);
    uint32_t initial[8];
    e.copyInitialState(initial);
    for (uint32_t w : initial)
        EXPECT_EQ(w, 0u);
    e.clear(false);
    EXPECT_EQ(e.wordCount(), -1);
}

// Known answers made by a separate implementation (tests/vectors/keystream.json).
TEST(KeystreamEngine, KnownAnswers)
{
    std::ifstream in(vectorPath("keystream.json"));
    ASSERT_TRUE(in);
    auto doc = nlohmann::json::parse(in);
    TempDir dir;
    ASSERT_FALSE(doc["cases"].empty());
    for (const auto& c : doc["cases"]) {
        uint32_t key[8], expectedInitial[8], initial[8];
        for (int i = 0; i < 8; ++i) {
            key[i] = parseWord(c["key_words"][i]);
            expectedInitial[i] = parseWord(c["initial_state"][i]);
        }
        KeystreamEngine e;
        keyed(e, key);
        e.copyInitialState(initial);
        EXPECT_TRUE(std::equal(initial, initial + 8, expectedInitial));

        auto buf = bufferTransform(std::vector<uint8_t>(64, 0), key);
        EXPECT_EQ(toHex(buf.data(), buf.size()), c["transform_buffer_zero_64_hex"]);
        auto file100 = fileTransform(dir, std::vector<uint8_t>(100, 0), key);
        EXPECT_EQ(toHex(file100.data(), file100.size()), c["transform_file_zero_100_hex"]);
        auto big = fileTransform(dir, std::vector<uint8_t>(1024017, 0), key);
        uint8_t digest[32];
        SHA256(big.data(), big.size(), digest);
        EXPECT_EQ(toHex(digest, 32), c["transform_file_zero_1024017_sha256"]);
    }
}

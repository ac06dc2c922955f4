#include "EngineTestUtil.h"
#include "engine/CSHA.h"

#include <gtest/gtest.h>
#include <openssl/sha.h>

#include <random>
#include <string>

using namespace mvx;
using namespace mvx::test;

namespace {

std::string shaHex(const std::string& s)
{
    auto d = CSHA::digestOf(s.data(), s.size());
    return toHex(d.data(), d.size());
}

std::string opensslHex(const uint8_t* p, size_t n)
{
    uint8_t d[64];
    SHA512(p, n, d);
    return toHex(d, 64);
}

} // namespace

TEST(Csha, FipsVectors)
{
    EXPECT_EQ(shaHex("abc"),
              "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a"
              "2192992a274fc1a836ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");
    EXPECT_EQ(shaHex("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmno"
                     "ijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu"),
              "8e959b75dae313da8cf4f72814fc143f8f7779c6eb9f7fa17299aeadb6889018"
              "501d289e4900f7e4331b99dec4b5433ac7d329eeb6dd26545e96e55b874be909");
    EXPECT_EQ(shaHex(std::string(1000000, 'a')),
              "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973eb"
              "de0ff244877ea60a4cb0432ce577c31beb009c5c2c49aa2e4eadb217ad8cc09b");
}

TEST(Csha, AgreesWithOpenSslForEveryShortLength)
{
    std::vector<uint8_t> data(300);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 31 + 7);
    for (size_t n = 0; n <= 300; ++n) {
        auto d = CSHA::digestOf(data.data(), n);
        ASSERT_EQ(toHex(d.data(), 64), opensslHex(data.data(), n)) << n;
    }
}

TEST(Csha, UnevenPiecesGiveTheSameDigest)
{
    std::mt19937 rng(42);
    std::vector<uint8_t> data(3 * 1024 * 1024 + 5);
    for (auto& b : data)
        b = static_cast<uint8_t>(rng());
    CSHA sha;
    size_t at = 0;
    while (at < data.size()) {
        size_t piece = std::min<size_t>(rng() % 300000, data.size() - at);
        ASSERT_TRUE(sha.addData(data.data() + at, static_cast<long long>(piece)));
        at += piece;
    }
    uint8_t d[64];
    ASSERT_TRUE(sha.finalDigest(d));
    EXPECT_EQ(toHex(d, 64), opensslHex(data.data(), data.size()));
}

TEST(Csha, ErrorTexts)
{
    CSHA sha;
    uint8_t d[64];
    EXPECT_FALSE(sha.finalDigest(d));
    EXPECT_EQ(sha.lastError(), "FileDigest ERROR: in CSHA::FinalDigest(), No data Added before call!");
    EXPECT_FALSE(sha.addData("x", -1));
    EXPECT_EQ(sha.lastError(), "FileDigest ERROR: in CSHA::AddData(), Data Length should be >= 0!");
    // An empty piece counts as data: the digest of the empty message.
    sha.initialise();
    EXPECT_TRUE(sha.addData("", 0));
    EXPECT_TRUE(sha.finalDigest(d));
    EXPECT_EQ(toHex(d, 64), opensslHex(nullptr, 0));
}

#include "engine/Crc64.h"

#include <gtest/gtest.h>

#include <string>

namespace {

uint64_t crcOf(const std::string& s) { return mvx::crc64we(s.data(), s.size()); }

// Values from tests/vectors/crc64.json, made by a separate implementation.
TEST(Crc64We, KnownValues)
{
    EXPECT_EQ(crcOf(""), 0x0000000000000000ULL);
    EXPECT_EQ(crcOf("a"), 0xCE73F427ACC0A99AULL);
    EXPECT_EQ(crcOf("123456789"), 0x62EC59E3F1A4F00AULL);
    EXPECT_EQ(crcOf("The quick brown fox jumps over the lazy dog"), 0xBCD8BB366D256116ULL);
}

TEST(Crc64We, SensitiveToEveryByte)
{
    std::string s(300, 'x');
    const uint64_t base = crcOf(s);
    for (size_t i = 0; i < s.size(); i += 37) {
        std::string t = s;
        t[i] ^= 1;
        EXPECT_NE(crcOf(t), base) << i;
    }
}

} // namespace

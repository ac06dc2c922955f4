#include "platform/TextFields.h"

#include <gtest/gtest.h>

using namespace mvx;

TEST(TextFields, TruncateNeverCutsACharacter)
{
    const std::string text = "ab\xE3\x81\x82\xE3\x81\x84";  // "ab" + two 3-byte characters
    EXPECT_EQ(TextFields::truncate(text, 4), "ab");
    EXPECT_EQ(TextFields::truncate(text, 5), "ab\xE3\x81\x82");
    EXPECT_EQ(TextFields::truncate(text, 100), text);
}

TEST(TextFields, FullFieldHasNoTerminatorAndReadsBackWhole)
{
    uint8_t field[20];
    TextFields::put(field, sizeof field, std::string(25, 'x'));
    EXPECT_EQ(TextFields::get(field, sizeof field), std::string(20, 'x'));
    TextFields::put(field, sizeof field, "abc");
    EXPECT_EQ(field[3], 0);
    EXPECT_EQ(field[19], 0);
    EXPECT_EQ(TextFields::get(field, sizeof field), "abc");
}

TEST(TextFields, HalfSizeLengthCountsDoubleByteCharactersTwice)
{
    EXPECT_EQ(TextFields::halfSizeLength(std::string(60, 'a')), 60u);
    std::string thirtyKana;
    for (int i = 0; i < 30; ++i)
        thirtyKana += "\xE3\x81\x82";  // HIRAGANA A
    EXPECT_EQ(TextFields::halfSizeLength(thirtyKana), 60u);
    EXPECT_EQ(TextFields::halfSizeLength("\xEF\xBD\xB1"), 1u);  // half-width katakana A
}

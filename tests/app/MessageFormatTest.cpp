#include "app/MessageFormat.h"

#include <gtest/gtest.h>

namespace mvx {
namespace {

TEST(MessageFormat, TextsAndNumbersInOrder)
{
    EXPECT_EQ(formatMessage("%s(%s)'s log", "Taro", "taro@example.jp"), "Taro(taro@example.jp)'s log");
    EXPECT_EQ(formatMessage("Encrypting a file of %d out of %d.", 12, 3), "Encrypting a file of 12 out of 3.");
    EXPECT_EQ(formatMessage("%d/%d/%d %02d:%02d", 2026, 3, 9, 7, 5), "2026/3/9 07:05");
}

TEST(MessageFormat, PercentSignAndUnknownConversionsStay)
{
    EXPECT_EQ(formatMessage("100%% done"), "100% done");
    EXPECT_EQ(formatMessage("50%y %s", "x"), "50%y x");
    EXPECT_EQ(formatMessage("ends with %"), "ends with %");
}

TEST(MessageFormat, MissingArgumentsAreEmptyAndExtraOnesIgnored)
{
    EXPECT_EQ(formatMessage("%s and %d", "only"), "only and 0");
    EXPECT_EQ(formatMessage("You are not authorized to decrypt this file.", "/tmp/a.klx"),
              "You are not authorized to decrypt this file.");
}

TEST(MessageFormat, ArgumentOfTheOtherKind)
{
    EXPECT_EQ(formatMessage("%s files", 3), "3 files");
    EXPECT_EQ(formatMessage("%d files", "three"), "0 files");
}

TEST(MessageFormat, WidthPrecisionAndLengthModifiers)
{
    EXPECT_EQ(formatMessage("%ld", 4294967295LL), "4294967295");
    EXPECT_EQ(formatMessage("%02x%02x", 10, 255), "0aff");
    EXPECT_EQ(formatMessage("%.08x-%.04x", 0x1234, 0xab), "00001234-00ab");
    EXPECT_EQ(formatMessage("[%-5s][%3d]", "ab", 7), "[ab   ][  7]");
}

TEST(MessageFormat, JapaneseTextPassesUnchanged)
{
    EXPECT_EQ(formatMessage("%sを復号化する権限がありません。", "/home/u/a.klx"),
              "/home/u/a.klxを復号化する権限がありません。");
}

} // namespace
} // namespace mvx

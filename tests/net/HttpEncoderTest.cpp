#include "net/HttpClientException.h"
#include "net/HttpEncoder.h"

#include <gtest/gtest.h>

using mvx::net::CHttpEncoderA;
using mvx::net::httpclientexceptionA;

TEST(UrlEncode, SpaceBecomesPlusAndAmpersandIsEscaped)
{
    EXPECT_EQ(CHttpEncoderA::UrlEncodeA("a b&c"), "a+b%26c");
}

TEST(UrlEncode, LettersAndDigitsStayEverythingElseUpperCaseHex)
{
    EXPECT_EQ(CHttpEncoderA::UrlEncodeA("AZaz09"), "AZaz09");
    EXPECT_EQ(CHttpEncoderA::UrlEncodeA("a.b-c_d~e@f=g+h/"), "a%2Eb%2Dc%5Fd%7Ee%40f%3Dg%2Bh%2F");
    EXPECT_EQ(CHttpEncoderA::UrlEncodeA("\xE3\x81\x82"), "%E3%81%82");
    EXPECT_EQ(CHttpEncoderA::UrlEncodeA(std::string("\0\xFF", 2)), "%00%FF");
    EXPECT_EQ(CHttpEncoderA::UrlEncodeA(""), "");
}

TEST(Utf8Encode, KeepsValidTextAndRefusesBrokenText)
{
    EXPECT_EQ(CHttpEncoderA::Utf8Encode("ファイル.txt"), "ファイル.txt");
    for (const std::string& broken : {std::string("\xE3\x81"), std::string("\xC0\xAF"), std::string("\xED\xA0\x80"),
                                     std::string("a\xFF")}) {
        try {
            CHttpEncoderA::Utf8Encode(broken);
            ADD_FAILURE() << "accepted broken text";
        } catch (const httpclientexceptionA& e) {
            EXPECT_EQ(e.LastError(), 600u);
        }
    }
}

TEST(HttpClientException, CodesMapToTheirRangeTexts)
{
    EXPECT_EQ(httpclientexceptionA::rangeMessage(1000), "user-defined error message");
    EXPECT_NE(httpclientexceptionA::rangeMessage(105), httpclientexceptionA::rangeMessage(602));
    EXPECT_EQ(httpclientexceptionA::rangeMessage(600), httpclientexceptionA::rangeMessage(999));
    const auto e = httpclientexceptionA::emptyArgument("CHttpToolA::OpenRequest", "szObjectName");
    EXPECT_STREQ(e.what(), "CHttpToolA::OpenRequest: szObjectName can not be an empty string.");
    EXPECT_STREQ(httpclientexceptionA::nullArgument("A::B", "p").what(), "A::B: p can not be NULL.");
    EXPECT_STREQ(httpclientexceptionA::zeroArgument("A::B", "n").what(), "A::B: n can not be zero.");
}

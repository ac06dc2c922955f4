// The registration address and the barcode content.
#include "QrTestSupport.h"

#include "app/CMessageTable.h"
#include "app/Msg.h"
#include "barcode/RegistrationContent.h"
#include "barcode/ShiftJis.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>

namespace mvx::test {
namespace {

std::string senderKey() { return readWholeFile(std::string(MORVANEX_TEST_DATA_DIR) + "/containers/sender.kpub"); }

std::string fromHex(const std::string& hex)
{
    std::string out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
    return out;
}

// The sentence in Shift-JIS, as a separate codec gives it.
const std::string kSentenceShiftJis = fromHex(
    "82b182ea82cd814156656c7175696e82cc55524c82c6936f985e82b782e98cf68a4a8cae8fee95f128313032346269742982c582b78142");

const std::string& leadSentence()
{
    static const CMessageTable table;
    return table.text(Msg::BarcodeLeadSentence);
}

RegistrationInputs inputsFor(const std::string& key)
{
    RegistrationInputs inputs;
    inputs.leadSentence = leadSentence();
    inputs.publicKeyFile = key;
    inputs.userName = "Taro";
    inputs.mail = "taro@example.jp";
    inputs.baseUrl = "https://service.example.jp/";
    inputs.keyTime = 1767225600;
    return inputs;
}

TEST(RegistrationModulus, MostSignificantByteFirstInLowerCase)
{
    const std::string key = senderKey();
    ASSERT_EQ(key.size(), 152u);
    const std::string hex = registration::modulusHex(key);
    ASSERT_EQ(hex.size(), 256u);
    EXPECT_EQ(hex.find_first_not_of("0123456789abcdef"), std::string::npos);
    // The file stores the modulus least significant byte first at offset 24.
    char first[3];
    char last[3];
    std::snprintf(first, sizeof first, "%02x", static_cast<unsigned char>(key[151]));
    std::snprintf(last, sizeof last, "%02x", static_cast<unsigned char>(key[24]));
    EXPECT_EQ(hex.substr(0, 2), first);
    EXPECT_EQ(hex.substr(254), last);
    EXPECT_EQ(hex.substr(252, 4), "bcf3");  // sender.kpub begins its modulus with f3 bc
}

TEST(RegistrationModulus, DamagedKeyFilesAreRefused)
{
    const std::string key = senderKey();
    EXPECT_TRUE(registration::modulusHex(key.substr(0, 151)).empty());
    EXPECT_TRUE(registration::modulusHex(key + '\0').empty());
    EXPECT_TRUE(registration::modulusHex("").empty());
    std::string wrongMagic = key;
    wrongMagic[12] = 'X';
    EXPECT_TRUE(registration::modulusHex(wrongMagic).empty());
    std::string wrongLength = key;
    wrongLength[0] = 0x10;
    EXPECT_TRUE(registration::modulusHex(wrongLength).empty());
    EXPECT_EQ(buildRegistration(inputsFor(key.substr(0, 100))).status, RegistrationStatus::KeyFileDamaged);
}

TEST(RegistrationEncoding, MailIsUrlEncoded)
{
    EXPECT_EQ(registration::urlEncode("taro.yamada-1_x+y@example.jp"), "taro%2Eyamada%2D1%5Fx%2By%40example%2Ejp");
    EXPECT_EQ(registration::urlEncode("a b\tc"), "a+b+c");
    EXPECT_EQ(registration::urlEncode("\x82\xA0"), "%82%A0");
}

TEST(RegistrationEncoding, NameInBase64WithLineBreakAfterEvery76Characters)
{
    EXPECT_EQ(registration::base64WithLineBreaks("Man"), "TWFu");
    EXPECT_EQ(registration::base64WithLineBreaks("Ma"), "TWE=");
    EXPECT_EQ(registration::base64WithLineBreaks("M"), "TQ==");
    EXPECT_EQ(registration::base64WithLineBreaks(""), "");
    // 57 bytes give exactly one line of 76 characters.
    const std::string line57(57, 'A');
    const std::string encoded57 = registration::base64WithLineBreaks(line57);
    std::string line76;
    for (int i = 0; i < 19; ++i)
        line76 += "QUFB";
    EXPECT_EQ(encoded57, line76 + "\r\n");
    const std::string encoded58 = registration::base64WithLineBreaks(line57 + "A");
    EXPECT_EQ(encoded58.substr(76), "\r\nQQ==");
    const std::string encoded120 = registration::base64WithLineBreaks(std::string(120, 'A'));
    ASSERT_EQ(encoded120.size(), 160u + 4u);
    EXPECT_EQ(encoded120.substr(76, 2), "\r\n");
    EXPECT_EQ(encoded120.substr(154, 2), "\r\n");
}

TEST(RegistrationEncoding, KeyTimeIsTheLowThirtyTwoBitsSigned)
{
    EXPECT_EQ(registration::keyTimeText(1767225600), "1767225600");
    EXPECT_EQ(registration::keyTimeText(0), "0");
    EXPECT_EQ(registration::keyTimeText(0x100000005LL), "5");
    EXPECT_EQ(registration::keyTimeText(0xFFFFFFFFLL), "-1");
}

TEST(RegistrationAddress, FieldsInOrder)
{
    const std::string key = senderKey();
    RegistrationInputs inputs = inputsFor(key);
    inputs.userName = "山田 太郎";
    const Registration r = buildRegistration(inputs);
    ASSERT_EQ(r.status, RegistrationStatus::Ok);
    EXPECT_EQ(r.address, "https://service.example.jp/m/?pk=" + registration::modulusHex(key) +
                             "&ma=taro%40example%2Ejp&nm=jlKTYyCRvphZ&gt=1767225600&op=1&pt=0");
    EXPECT_EQ(r.content, kSentenceShiftJis + r.address);
}

TEST(RegistrationAddress, QueryCharactersInTheMailCannotAddFields)
{
    const std::string key = senderKey();
    RegistrationInputs inputs = inputsFor(key);
    inputs.mail = "a&op=9+b@example.jp";
    const Registration r = buildRegistration(inputs);
    ASSERT_EQ(r.status, RegistrationStatus::Ok);
    EXPECT_NE(r.address.find("&ma=a%26op%3D9%2Bb%40example%2Ejp&nm="), std::string::npos) << r.address;
}

TEST(RegistrationAddress, BaseUrlGetsItsSlash)
{
    const std::string key = senderKey();
    RegistrationInputs inputs = inputsFor(key);
    inputs.baseUrl = "https://service.example.jp/base";
    const Registration r = buildRegistration(inputs);
    ASSERT_EQ(r.status, RegistrationStatus::Ok);
    EXPECT_EQ(r.address.rfind("https://service.example.jp/base/m/?pk=", 0), 0u);
}

TEST(RegistrationAddress, TextsShiftJisCannotCarryAreRefused)
{
    const std::string key = senderKey();
    RegistrationInputs inputs = inputsFor(key);
    inputs.userName = "Taro \xF0\x9F\x98\x80";  // an emoji
    EXPECT_EQ(buildRegistration(inputs).status, RegistrationStatus::NotShiftJis);
    inputs.userName = "Taro";
    inputs.mail = "bad\xFF@example.jp";  // not UTF-8
    EXPECT_EQ(buildRegistration(inputs).status, RegistrationStatus::NotShiftJis);
}

TEST(RegistrationAddress, LongNameAndMailGrowTheSymbol)
{
    const std::string key = senderKey();
    RegistrationInputs inputs = inputsFor(key);
    auto shortSymbol = encodeOrNull(CQREncoder::LevelM, 0, true, -1, buildRegistration(inputs).content);
    const std::string longName(64, 'N');
    const std::string longMail = std::string(60, 'm') + "@example.jp";
    inputs.userName = longName;
    inputs.mail = longMail;
    auto longSymbol = encodeOrNull(CQREncoder::LevelM, 0, true, -1, buildRegistration(inputs).content);
    ASSERT_NE(shortSymbol, nullptr);
    ASSERT_NE(longSymbol, nullptr);
    EXPECT_GT(longSymbol->version(), shortSymbol->version());
}

TEST(RegistrationFromFile, ReadsKeyAndItsCreationTime)
{
    TempFolder folder;
    const std::string path = folder.file("Taro.kpub");
    const std::time_t before = std::time(nullptr);
    {
        std::ofstream out(path, std::ios::binary);
        out << senderKey();
    }
    const std::time_t after = std::time(nullptr);
    const Registration r = buildRegistrationFromFile(path, inputsFor(""));
    ASSERT_EQ(r.status, RegistrationStatus::Ok);
    const auto gt = r.address.find("&gt=");
    const auto op = r.address.find("&op=");
    ASSERT_NE(gt, std::string::npos);
    const long keyTime = std::stol(r.address.substr(gt + 4, op - gt - 4));
    EXPECT_GE(keyTime, before);
    EXPECT_LE(keyTime, after);
}

TEST(RegistrationFromFile, MissingKeyFile)
{
    TempFolder folder;
    const Registration r = buildRegistrationFromFile(folder.file("none.kpub"), inputsFor(""));
    EXPECT_EQ(r.status, RegistrationStatus::KeyFileMissing);
    EXPECT_TRUE(r.content.empty());
}

TEST(ShiftJisConversion, JapaneseAndAscii)
{
    EXPECT_EQ(utf8ToShiftJis("漢字"), std::string("\x8A\xBF\x8E\x9A"));
    EXPECT_EQ(utf8ToShiftJis("abc"), std::string("abc"));
    EXPECT_EQ(utf8ToShiftJis(""), std::string());
    EXPECT_FALSE(utf8ToShiftJis("\xC3").has_value());
}

} // namespace
} // namespace mvx::test

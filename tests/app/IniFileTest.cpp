#include "app/CIniFile.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace mvx {
namespace {

using test::TempFolder;

TEST(IniFile, KeysAndSectionsCompareWithoutCase)
{
    TempFolder dir;
    dir.write("a.ini", "[klx]\r\nkeyPairRoot = /home/u/keys/ \r\n");
    CIniFile ini;
    ASSERT_TRUE(ini.load(dir.slash() + "a.ini"));
    EXPECT_EQ(ini.getString("KLX", "KeyPairRoot", "none"), "/home/u/keys/");
    EXPECT_EQ(ini.getString("Klx", "KEYPAIRROOT", "none"), "/home/u/keys/");
    ini.setString("KLX", "KEYpairROOT", "/x/");
    EXPECT_EQ(ini.lines(), (std::vector<std::string>{"[klx]", "keyPairRoot=/x/"}));
}

TEST(IniFile, FirstOfDuplicateKeysCountsAndSectionsStaySeparate)
{
    CIniFile ini;
    ini.setString("Other", "A", "other");
    ini.setString("KLX", "A", "1");
    EXPECT_EQ(ini.getString("KLX", "A", ""), "1");
    EXPECT_EQ(ini.getString("Other", "A", ""), "other");
    EXPECT_EQ(ini.getString("Missing", "A", "def"), "def");
}

TEST(IniFile, ValuesLoseEnclosingQuotesAndAreCutToTheBuffer)
{
    TempFolder dir;
    std::ofstream(dir.slash() + "q.ini") << "[S]\nQ=\"quoted value\"\n";
    CIniFile ini;
    ASSERT_TRUE(ini.load(dir.slash() + "q.ini"));
    EXPECT_EQ(ini.getString("S", "Q", ""), "quoted value");
    ini.setString("S", "Long", std::string(300, 'x'));
    EXPECT_EQ(ini.getString("S", "Long", "").size(), 255u);
    // 85 three-byte characters make 255 bytes; one more must not be cut in half.
    std::string japanese;
    for (int i = 0; i < 86; ++i)
        japanese += "鍵";
    ini.setString("S", "Jp", japanese);
    EXPECT_EQ(ini.getString("S", "Jp", ""), japanese.substr(0, 255));
    ini.setString("S", "Jp2", "a" + japanese);
    EXPECT_EQ(ini.getString("S", "Jp2", ""), ("a" + japanese).substr(0, 253));
}

TEST(IniFile, IntegersReadLikeThePrivateProfileCall)
{
    CIniFile ini;
    ini.setString("S", "Text", "abc");
    ini.setString("S", "Prefix", "12abc");
    ini.setString("S", "Negative", " -7");
    ini.setString("S", "Empty", "");
    ini.setString("S", "Huge", "99999999999");
    EXPECT_EQ(ini.getInt("S", "Text", 5), 0);
    EXPECT_EQ(ini.getInt("S", "Prefix", 5), 12);
    EXPECT_EQ(ini.getInt("S", "Negative", 5), -7);
    EXPECT_EQ(ini.getInt("S", "Empty", 5), 5);
    EXPECT_EQ(ini.getInt("S", "Absent", 5), 5);
    EXPECT_EQ(ini.getInt("S", "Huge", 5), 2147483647);
    EXPECT_EQ(parseProfileInt("-99999999999"), -2147483647 - 1);
}

TEST(IniFile, OtherLinesStayAndNewKeysJoinTheirSection)
{
    TempFolder dir;
    dir.write("a.ini", "; comment\n[KLX]\nA=1\n\n[Other]\nB=2\n");
    CIniFile ini;
    ASSERT_TRUE(ini.load(dir.slash() + "a.ini"));
    ini.setString("KLX", "C", "3");
    ini.setString("KLX", "A", "9");
    ini.setString("New", "D", "4");
    ASSERT_TRUE(ini.save(dir.slash() + "a.ini"));
    EXPECT_EQ(dir.read("a.ini"), "; comment\n[KLX]\nA=9\nC=3\n\n[Other]\nB=2\n\n[New]\nD=4\n");
}

TEST(IniFile, LineBreaksInValuesCannotAddKeys)
{
    CIniFile ini;
    ini.setString("KLX", "DestPath1", "/tmp/x\nEncAndDec=1");
    EXPECT_FALSE(ini.value("KLX", "EncAndDec").has_value());
    EXPECT_EQ(ini.lines().size(), 2u);
}

TEST(IniFile, ValuesWithOuterBlanksOrQuotesReadBackAsWritten)
{
    TempFolder dir;
    const std::string path = dir.slash() + "values.ini";
    for (const std::string written : {"/keys/ ", " /keys/", "'/keys/'", "\"a\"", "/keys/\r\r"}) {
        CIniFile ini;
        ini.setString("KLX", "keyPairRoot", written);
        ASSERT_TRUE(ini.save(path));
        CIniFile again;
        ASSERT_TRUE(again.load(path));
        std::string expected = written;
        std::replace(expected.begin(), expected.end(), '\r', ' ');
        EXPECT_EQ(again.getString("KLX", "keyPairRoot", ""), expected) << written;
    }
}

TEST(IniFile, MissingFileLoadsEmpty)
{
    TempFolder dir;
    CIniFile ini;
    EXPECT_FALSE(ini.load(dir.slash() + "none.ini"));
    EXPECT_TRUE(ini.lines().empty());
}

TEST(IniFile, FailedSaveReportsAndLeavesNoTemporaryFile)
{
    TempFolder dir;
    std::filesystem::create_directory(dir.slash() + "taken");
    CIniFile ini;
    ini.setString("KLX", "A", "2");
    EXPECT_FALSE(ini.save(dir.slash() + "taken"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.slash() + "taken"));
    EXPECT_FALSE(std::filesystem::exists(dir.slash() + "taken.tmp"));
    EXPECT_FALSE(ini.save(dir.slash() + "missing/a.ini"));
}

} // namespace
} // namespace mvx

#include "app/CIniFile.h"
#include "app/CSettingsStore.h"
#include "app/ProgramFolder.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

namespace mvx {
namespace {

using test::TempFolder;

std::vector<std::string> keysInFileOrder(const std::string& text)
{
    std::vector<std::string> keys;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (auto eq = line.find('='); eq != std::string::npos)
            keys.push_back(line.substr(0, eq));
    return keys;
}

class SettingsStoreTest : public ::testing::Test {
protected:
    TempFolder dir;
    CSettingsStore store{dir.slash()};
};

TEST_F(SettingsStoreTest, FileWithoutTheSectionGivesEveryDefault)
{
    dir.write("Values.dat", "[Other]\nUseSmallMenu=0\nLanguageSel=EN\n");
    const auto loaded = store.load();
    EXPECT_TRUE(loaded.fileFound);
    const Settings& s = loaded.settings;
    EXPECT_EQ(s.languageSel, "JP");
    EXPECT_EQ(s.useSmallMenu, 1);
    EXPECT_EQ(s.smallMenuTopmost, 1);
    EXPECT_EQ(s.smallMenuPosition, 4);
    EXPECT_EQ(s.useTimer, 1);
    EXPECT_EQ(s.timeForTimer, 1);
    EXPECT_EQ(s.inquireUsb, 1);
    EXPECT_EQ(s.firstStart, 1);
    EXPECT_EQ(s.encAndDec, 0);
    EXPECT_EQ(s.deleteCheck1, 0);
    EXPECT_EQ(s.noUseContextMenu, 0);
    EXPECT_EQ(s.destPath1, "");
    EXPECT_EQ(s.keyPairRoot, "");
    EXPECT_EQ(s.serviceUrl, CSettingsStore::kDefaultServiceUrl);
}

TEST_F(SettingsStoreTest, MissingFileIsReportedWithDefaults)
{
    const auto loaded = store.load();
    EXPECT_FALSE(loaded.fileFound);
    EXPECT_EQ(loaded.settings.smallMenuPosition, 4);
}

TEST_F(SettingsStoreTest, KeyPairRootIsOneEntryWhateverItsCase)
{
    dir.write("Values.dat", "[KLX]\nKeyPairRoot=/old/\nPublicKeyName=a.kpub\nPrivateKeyName=aPrivate.kpri\n");
    Settings s = store.load().settings;
    EXPECT_EQ(s.keyPairRoot, "/old/");
    s.keyPairRoot = "/new/";
    ASSERT_TRUE(store.save(s));
    EXPECT_EQ(store.load().settings.keyPairRoot, "/new/");
    CIniFile ini;
    ASSERT_TRUE(ini.load(store.path()));
    EXPECT_EQ(std::count_if(ini.lines().begin(), ini.lines().end(),
                            [](const std::string& l) { return l.find("eyPairRoot") != std::string::npos; }),
              1);
}

TEST_F(SettingsStoreTest, SavedFileNamesTheRootInLowerCamelCase)
{
    Settings s;
    s.keyPairRoot = "/k/";
    ASSERT_TRUE(store.save(s));
    EXPECT_NE(dir.read("Values.dat").find("keyPairRoot=/k/\n"), std::string::npos);
}

TEST_F(SettingsStoreTest, NoUseContextMenuSurvivesASave)
{
    dir.write("Values.dat", "[KLX]\nNoUseContextMenu=1\nServiceURL=https://svc.test/\n");
    Settings s = store.load().settings;
    EXPECT_EQ(s.noUseContextMenu, 1);
    s.noUseContextMenu = 0;
    s.serviceUrl = "https://changed.test/";
    ASSERT_TRUE(store.save(s));
    const Settings again = store.load().settings;
    EXPECT_EQ(again.noUseContextMenu, 1);
    EXPECT_EQ(again.serviceUrl, "https://svc.test/");
}

TEST_F(SettingsStoreTest, SaveWritesItsKeysInTheFixedOrder)
{
    ASSERT_TRUE(store.save(Settings{}));
    const std::vector<std::string> expected = {
        "MemberFileName", "DestPath1",     "DestPath2",          "DeleteCheck1",       "DeleteCheck2",
        "LimitCheck",     "KLXSnedMailCheck", "LimitUnit",       "LanguageSel",        "UseSmallMenu",
        "SmallMenuTopmost", "SmallMenuPosition", "DDSelfEncrypt", "SmallMenuPositionX", "SmallMenuPositionY",
        "FirstStart",     "StopDlg",       "EncAndDec",          "KlxKeep",            "InquireUSB",
        "PublicKeyName",  "PrivateKeyName", "keyPairRoot",       "UseTimer",           "TimeForTimer",
        "AutoEncComplusion"};
    EXPECT_EQ(keysInFileOrder(dir.read("Values.dat")), expected);
    EXPECT_EQ(dir.read("Values.dat").substr(0, 6), "[KLX]\n");
}

TEST_F(SettingsStoreTest, UnparsableIntegerReadsZero)
{
    dir.write("Values.dat", "[KLX]\nUseSmallMenu=yes\nSmallMenuPosition=\nTimeForTimer=5min\n");
    const Settings s = store.load().settings;
    EXPECT_EQ(s.useSmallMenu, 0);
    EXPECT_EQ(s.smallMenuPosition, 4);
    EXPECT_EQ(s.timeForTimer, 5);
}

TEST_F(SettingsStoreTest, PathsAreDerivedAtLoadAndKeyNamesWrittenFromThem)
{
    dir.write("Values.dat",
              "[KLX]\nkeyPairRoot=/home/u/keys/\nPublicKeyName=taro.kpub\nPrivateKeyName=taroPrivate.kpri\n"
              "MemberFileName=taroMember.txt\n");
    Settings s = store.load().settings;
    EXPECT_EQ(s.ownPublicKeyPath, "/home/u/keys/taro.kpub");
    EXPECT_EQ(s.ownPrivateKeyPath, "/home/u/keys/taroPrivate.kpri");
    EXPECT_EQ(s.memberFilePath, dir.slash() + "taroMember.txt");
    s.ownPublicKeyPath = "/elsewhere/hanako.kpub";
    s.ownPrivateKeyPath = "/elsewhere/hanakoPrivate.kpri";
    ASSERT_TRUE(store.save(s));
    const Settings again = store.load().settings;
    EXPECT_EQ(again.publicKeyName, "hanako.kpub");
    EXPECT_EQ(again.privateKeyName, "hanakoPrivate.kpri");
}

TEST_F(SettingsStoreTest, EveryValueRoundTrips)
{
    Settings s;
    s.destPath1 = "/out/";
    s.destPath2 = "/secret/";
    s.deleteCheck1 = 1;
    s.deleteCheck2 = 1;
    s.keyPairRoot = "/keys/";
    s.ownPublicKeyPath = "/keys/a.kpub";
    s.ownPrivateKeyPath = "/keys/aPrivate.kpri";
    s.memberFileName = "aMember.txt";
    s.limitCheck = 1;
    s.limitUnit = 3;
    s.klxSnedMailCheck = 1;
    s.encAndDec = 1;
    s.klxKeep = 1;
    s.inquireUsb = 0;
    s.useTimer = 0;
    s.timeForTimer = 10;
    s.useSmallMenu = 0;
    s.smallMenuTopmost = 0;
    s.smallMenuPosition = 5;
    s.smallMenuPositionX = -20;
    s.smallMenuPositionY = 700;
    s.ddSelfEncrypt = 1;
    s.languageSel = "EN";
    s.firstStart = 0;
    s.stopDlg = 1;
    s.autoEncComplusion = 1;
    ASSERT_TRUE(store.save(s));
    const Settings r = store.load().settings;
    EXPECT_EQ(r.destPath1, s.destPath1);
    EXPECT_EQ(r.destPath2, s.destPath2);
    EXPECT_EQ(r.deleteCheck1, 1);
    EXPECT_EQ(r.deleteCheck2, 1);
    EXPECT_EQ(r.ownPublicKeyPath, s.ownPublicKeyPath);
    EXPECT_EQ(r.ownPrivateKeyPath, s.ownPrivateKeyPath);
    EXPECT_EQ(r.memberFileName, s.memberFileName);
    EXPECT_EQ(r.limitCheck, 1);
    EXPECT_EQ(r.limitUnit, 3);
    EXPECT_EQ(r.klxSnedMailCheck, 1);
    EXPECT_EQ(r.encAndDec, 1);
    EXPECT_EQ(r.klxKeep, 1);
    EXPECT_EQ(r.inquireUsb, 0);
    EXPECT_EQ(r.useTimer, 0);
    EXPECT_EQ(r.timeForTimer, 10);
    EXPECT_EQ(r.useSmallMenu, 0);
    EXPECT_EQ(r.smallMenuTopmost, 0);
    EXPECT_EQ(r.smallMenuPosition, 5);
    EXPECT_EQ(r.smallMenuPositionX, -20);
    EXPECT_EQ(r.smallMenuPositionY, 700);
    EXPECT_EQ(r.ddSelfEncrypt, 1);
    EXPECT_EQ(r.languageSel, "EN");
    EXPECT_EQ(r.firstStart, 0);
    EXPECT_EQ(r.stopDlg, 1);
    EXPECT_EQ(r.autoEncComplusion, 1);
}

TEST_F(SettingsStoreTest, ALineBreakInAValueAddsNoKeyToTheFile)
{
    Settings s;
    s.keyPairRoot = "/keys/";
    s.destPath1 = "a\nKeyPairRoot=/x\r\nLanguageSel=EN";
    ASSERT_TRUE(store.save(s));
    const Settings r = store.load().settings;
    EXPECT_EQ(r.keyPairRoot, "/keys/");
    EXPECT_EQ(r.languageSel, Settings().languageSel);
    EXPECT_EQ(r.destPath1.find('\n'), std::string::npos);
}

TEST_F(SettingsStoreTest, RemoveDeletesTheFile)
{
    ASSERT_TRUE(store.save(Settings{}));
    EXPECT_TRUE(store.remove());
    EXPECT_FALSE(store.load().fileFound);
    EXPECT_TRUE(store.remove());
}

TEST(ProgramFolder, EnvironmentChoosesTheFolder)
{
    const char* oldHome = std::getenv("MORVANEX_HOME");
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    const std::string savedXdg = oldXdg ? oldXdg : "";
    ::setenv("MORVANEX_HOME", "/srv/mvx", 1);
    EXPECT_EQ(programFolder(), "/srv/mvx/");
    ::unsetenv("MORVANEX_HOME");
    ::setenv("XDG_CONFIG_HOME", "/cfg/", 1);
    EXPECT_EQ(programFolder(), "/cfg/morvanex/");
    ::setenv("XDG_CONFIG_HOME", "relative", 1);
    if (const char* home = std::getenv("HOME"); home && *home) {
        EXPECT_EQ(programFolder(), std::string(home) + "/.config/morvanex/");
    }
    oldHome ? (void)::setenv("MORVANEX_HOME", savedHome.c_str(), 1) : (void)::unsetenv("MORVANEX_HOME");
    oldXdg ? (void)::setenv("XDG_CONFIG_HOME", savedXdg.c_str(), 1) : (void)::unsetenv("XDG_CONFIG_HOME");
}

TEST(ProgramFolder, IsCreatedWithItsParents)
{
    TempFolder dir;
    const std::string folder = dir.slash() + "a/b/morvanex/";
    EXPECT_TRUE(ensureProgramFolder(folder));
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(ensureProgramFolder(folder));
}

} // namespace
} // namespace mvx

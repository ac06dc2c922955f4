#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "app/Msg.h"
#include "app/OptionsRules.h"

#include "ScriptedInteraction.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace mvx {
namespace {

using test::ScriptedInteraction;
using Kind = ScriptedInteraction::Kind;

// A machine described by the test: mount points, devices by path prefix,
// drive kinds, existing folders.
class FakeFolderFacts : public IFolderFacts {
public:
    std::set<std::string> mountPoints{"/", "/mnt/data"};
    std::set<std::string> folders;
    std::map<std::string, uint64_t> devices{{"/", 1}, {"/mnt/data", 2}};
    std::map<std::string, DriveKind> kinds;
    std::string home = "/home/u";

    bool folderExists(const std::string& folder) const override { return folders.count(trim(folder)) > 0; }
    bool isDriveRoot(const std::string& folder) const override { return mountPoints.count(trim(folder)) > 0; }
    DriveKind driveKind(const std::string& folder) const override
    {
        const auto it = kinds.find(longestPrefix(folder));
        return it == kinds.end() ? DriveKind::Fixed : it->second;
    }
    std::optional<uint64_t> deviceId(const std::string& path) const override
    {
        return devices.at(longestPrefix(path));
    }
    std::string homeFolder() const override { return home; }
    std::string canonical(const std::string& path) const override { return trim(path); }

private:
    static std::string trim(std::string p)
    {
        while (p.size() > 1 && p.back() == '/')
            p.pop_back();
        return p;
    }
    std::string longestPrefix(const std::string& path) const
    {
        std::string best = "/";
        const std::string p = trim(path) + "/";
        for (const auto& [prefix, device] : devices)
            if (prefix != "/" && p.rfind(prefix + "/", 0) == 0 && prefix.size() > best.size())
                best = prefix;
        return best;
    }
};

const std::string kKeyRoot = "/home/u/keys/";
const std::string kProgramFolder = "/home/u/.config/morvanex/";

class OptionsRulesTest : public ::testing::Test {
protected:
    FolderVerdict general(const std::string& folder) const
    {
        return checkGeneralFolder(folder, kKeyRoot, kProgramFolder, facts);
    }
    FolderVerdict choice(const std::string& folder) const
    {
        return checkSpecificFolderChoice(folder, kKeyRoot, kProgramFolder, facts);
    }

    FakeFolderFacts facts;
};

TEST_F(OptionsRulesTest, GeneralCheckAcceptsEmptyAndOrdinaryFolders)
{
    EXPECT_TRUE(general("").accepted);
    EXPECT_TRUE(general("/home/u/secret").accepted);
    EXPECT_TRUE(general("/home/u/keysbackup/").accepted);
    EXPECT_TRUE(general("/mnt/data/work").accepted);
}

TEST_F(OptionsRulesTest, DriveRootsAreRefused)
{
    for (const char* folder : {"/", "/mnt/data", "/mnt/data/"}) {
        const FolderVerdict v = general(folder);
        EXPECT_FALSE(v.accepted) << folder;
        EXPECT_EQ(v.slot, Msg::SpecificFolderNotNetworkDrive) << folder;
        EXPECT_EQ(v.icon, MsgIcon::Stop);
    }
}

TEST_F(OptionsRulesTest, SystemFoldersAreRefusedNamingTheFolder)
{
    for (const char* folder : {"/etc", "/usr/", "/var", "/lib64", "/home/u", "/home/u/", "/mnt/data/Windows",
                               "/home/u/Program Files/", "/srv/documents and settings"}) {
        const FolderVerdict v = general(folder);
        EXPECT_FALSE(v.accepted) << folder;
        EXPECT_EQ(v.slot, Msg::SystemFolderRefused) << folder;
        EXPECT_EQ(v.folder, folder);
    }
    EXPECT_TRUE(general("/etcetera").accepted);
    EXPECT_TRUE(general("/home/u/windowsbackup").accepted);
}

TEST_F(OptionsRulesTest, ProgramFolderIsRefused)
{
    EXPECT_EQ(general("/home/u/.config/morvanex").slot, Msg::CannotChooseDriveDirectly);
    EXPECT_EQ(general("/home/u/.config/morvanex/").slot, Msg::CannotChooseDriveDirectly);
}

TEST_F(OptionsRulesTest, KeyPairRootItsAncestorsAndDescendantsAreRefused)
{
    for (const char* folder : {"/home/u/keys", "/home/u/keys/", "/home/u/keys/KeyList_taro/sub"}) {
        EXPECT_EQ(general(folder).slot, Msg::KeyOrNetworkFolderChosen) << folder;
    }
    const auto deep = checkGeneralFolder("/home/u/work", "/home/u/work/inner/keys/", kProgramFolder, facts);
    EXPECT_EQ(deep.slot, Msg::KeyOrNetworkFolderChosen);
    EXPECT_TRUE(checkGeneralFolder("/home/u/work", "", kProgramFolder, facts).accepted);
    // Beside the key root, with a name the root's name begins (or that begins it).
    for (const char* folder : {"/home/u/keys2", "/home/u/keys2/", "/home/u/key", "/home/u/keys.old/sub"}) {
        EXPECT_TRUE(general(folder).accepted) << folder;
        EXPECT_TRUE(choice(folder).accepted) << folder;
    }
}

TEST_F(OptionsRulesTest, ChosenFolderGetsItsSlash)
{
    const FolderVerdict v = choice("/home/u/secret");
    EXPECT_TRUE(v.accepted);
    EXPECT_EQ(v.folder, "/home/u/secret/");
}

TEST_F(OptionsRulesTest, OnTheKeyRootsDeviceRemovableAndNetworkAreRefused)
{
    facts.kinds["/"] = DriveKind::Removable;
    EXPECT_EQ(choice("/home/u/secret").slot, Msg::SpecificFolderIsKeyFolder);
    facts.kinds["/"] = DriveKind::Network;
    EXPECT_EQ(choice("/home/u/secret").slot, Msg::SpecificFolderMustBeHardDisk);
    facts.kinds["/"] = DriveKind::CdRom;
    EXPECT_TRUE(choice("/home/u/secret").accepted);
}

TEST_F(OptionsRulesTest, AnotherDeviceIsAcceptedWhateverItsKind)
{
    facts.kinds["/mnt/data"] = DriveKind::Removable;
    EXPECT_TRUE(choice("/mnt/data/work").accepted);
}

TEST_F(OptionsRulesTest, BrowserAsksAgainAfterARefusalUntilAccepted)
{
    CMessageTable table;
    table.FillJapanese();
    ScriptedInteraction ui;
    CMessenger messenger(table, ui);
    ui.answerFolder(std::string("/etc"));
    ui.answerFolder(std::string("/home/u/secret"));
    const auto chosen = browseSpecificFolder(messenger, facts, kKeyRoot, kProgramFolder, "/home/u");
    EXPECT_EQ(chosen, std::optional<std::string>("/home/u/secret/"));
    ASSERT_EQ(ui.count(Kind::ChooseFolder), 2u);
    ASSERT_EQ(ui.count(Kind::Message), 1u);
    EXPECT_EQ(ui.textsOf(Kind::Message)[0], "/etcを暗号化するとシステムに異常をきたす可能性があるので指定はできません");
    EXPECT_EQ(ui.shown()[0].text, "フォルダを選択してください");
    EXPECT_EQ(ui.shown()[0].caption, "フォルダの選択");
    EXPECT_EQ(ui.last().path, "/etc");
}

// The English table has no words for the folder refusals: the messenger
// shows their stand-ins instead of an empty box.
TEST_F(OptionsRulesTest, BrowserEndsOnCancelAndRefusalsAreWordedInEnglish)
{
    CMessageTable table;
    table.FillEnglish();
    ScriptedInteraction ui;
    CMessenger messenger(table, ui);
    ui.answerFolder(std::string("/"));
    EXPECT_FALSE(browseSpecificFolder(messenger, facts, kKeyRoot, kProgramFolder, "").has_value());
    ASSERT_EQ(ui.count(Kind::Message), 1u);
    EXPECT_EQ(ui.textsOf(Kind::Message)[0], "Do not choose a network drive as the specific folder.");
    EXPECT_EQ(ui.count(Kind::ChooseFolder), 2u);
    EXPECT_EQ(messenger.format(Msg::SystemFolderRefused, "/etc"),
              "/etc cannot be chosen: encrypting it could harm the system.");
}

TEST_F(OptionsRulesTest, EncryptedFileFolderBrowserOnlyAddsTheSlash)
{
    CMessageTable table;
    ScriptedInteraction ui;
    CMessenger messenger(table, ui);
    ui.answerFolder(std::string("/etc"));
    EXPECT_EQ(browseEncryptedFileFolder(messenger, ""), std::optional<std::string>("/etc/"));
    EXPECT_FALSE(browseEncryptedFileFolder(messenger, "").has_value());
}

TEST_F(OptionsRulesTest, OkChecksFolders)
{
    OptionsValues v;
    facts.folders = {"/home/u/out", "/home/u/secret"};
    EXPECT_TRUE(checkOptionsOk(v, kKeyRoot, kProgramFolder, facts).accepted);
    v.destPath2 = "/home/u/keys/x";
    EXPECT_EQ(checkOptionsOk(v, kKeyRoot, kProgramFolder, facts).slot, Msg::KeyOrNetworkFolderChosen);
    v.destPath2 = "";
    v.destPath1 = "/home/u/gone/";
    EXPECT_EQ(checkOptionsOk(v, kKeyRoot, kProgramFolder, facts).slot, Msg::EncryptedFileFolderMissing);
    v.destPath1 = "/home/u/out/";
    v.encAndDec = true;
    EXPECT_EQ(checkOptionsOk(v, kKeyRoot, kProgramFolder, facts).slot, Msg::AutoFolderMissing);
    v.destPath2 = "/home/u/absent/";
    EXPECT_EQ(checkOptionsOk(v, kKeyRoot, kProgramFolder, facts).slot, Msg::AutoFolderMissing);
    v.destPath2 = "/home/u/secret/";
    EXPECT_TRUE(checkOptionsOk(v, kKeyRoot, kProgramFolder, facts).accepted);
}

TEST(OptionsTimer, ListPositionsMapToMinutes)
{
    EXPECT_EQ(timerMinutesFromListIndex(0), 1);
    EXPECT_EQ(timerMinutesFromListIndex(1), 5);
    EXPECT_EQ(timerMinutesFromListIndex(2), 10);
    EXPECT_EQ(timerListIndexFromMinutes(1), 0);
    EXPECT_EQ(timerListIndexFromMinutes(5), 1);
    EXPECT_EQ(timerListIndexFromMinutes(10), 2);
    EXPECT_EQ(timerListIndexFromMinutes(7), 0);
}

TEST(OptionsDetail, StoredPositionSixShowsAsFive)
{
    EXPECT_EQ(detailPositionShown(6), 5);
    EXPECT_EQ(detailPositionShown(2), 2);
    EXPECT_EQ(detailPositionShown(0), 4);
}

TEST(OptionsDialog, StartDisablesByEncAndDecTimerAndKey)
{
    Settings s;
    OptionsValues v = optionsValuesFrom(s, "Taro", "taro@example.jp");
    OptionsEnabled e = optionsEnabledAtStart(v, true);
    EXPECT_FALSE(e.destPath2Field);
    EXPECT_FALSE(e.destPath2Browse);
    EXPECT_FALSE(e.useTimerCheck);
    EXPECT_FALSE(e.timerList);
    EXPECT_TRUE(e.encAndDecCheck);
    EXPECT_TRUE(e.nameField);

    s.encAndDec = 1;
    s.useTimer = 0;
    v = optionsValuesFrom(s, "", "");
    e = optionsEnabledAtStart(v, true);
    EXPECT_TRUE(e.destPath2Field);
    EXPECT_TRUE(e.useTimerCheck);
    EXPECT_FALSE(e.timerList);

    e = optionsEnabledAtStart(v, false);
    EXPECT_EQ(e, (OptionsEnabled{false, false, false, false, false, false, false, false, false}));
}

TEST(OptionsDialog, TogglesFollowTheBoxes)
{
    OptionsValues v;
    OptionsEnabled e = optionsEnabledAtStart(v, true);
    v.encAndDec = true;
    onEncAndDecToggled(v, e);
    EXPECT_TRUE(e.destPath2Field && e.destPath2Browse && e.useTimerCheck && e.timerList);
    v.useTimer = false;
    onUseTimerToggled(v, e);
    EXPECT_FALSE(e.timerList);
}

TEST(OptionsDialog, DefaultButton)
{
    Settings s;
    s.destPath1 = "/a/";
    s.destPath2 = "/b/";
    s.deleteCheck1 = s.deleteCheck2 = s.encAndDec = s.noUseContextMenu = s.klxKeep = 1;
    s.inquireUsb = s.useSmallMenu = s.useTimer = 0;
    s.timeForTimer = 10;
    OptionsValues v = optionsValuesFrom(s, "", "");
    OptionsEnabled e = optionsEnabledAtStart(v, true);
    applyDefaultButton(v, e);
    EXPECT_EQ(v.destPath1, "");
    EXPECT_EQ(v.destPath2, "");
    EXPECT_FALSE(v.deleteCheck1 || v.deleteCheck2 || v.encAndDec || v.noUseContextMenu);
    EXPECT_TRUE(v.inquireUsb && v.useSmallMenu && v.useTimer);
    EXPECT_EQ(v.timerListIndex, 0);
    EXPECT_TRUE(v.klxKeep);
    EXPECT_FALSE(e.inquireUsbCheck || e.useTimerCheck || e.timerList || e.destPath2Field || e.destPath2Browse);
    EXPECT_TRUE(e.encAndDecCheck);
}

TEST(OptionsDialog, AfterOkWithoutOwnKeyNothingIsSaved)
{
    Settings s;
    OptionsValues v = optionsValuesFrom(s, "", "");
    v.destPath1 = "/out/";
    v.timerListIndex = 2;
    v.smallMenuPosition = 1;
    const OptionsOutcome outcome = applyOptionsResult(s, v, false);
    EXPECT_TRUE(outcome.userInfoNotReflected);
    EXPECT_FALSE(outcome.saveSettings);
    EXPECT_FALSE(outcome.takeUserInfo);
    EXPECT_EQ(s.destPath1, "/out/");
    EXPECT_EQ(s.timeForTimer, 10);
    EXPECT_EQ(s.smallMenuPosition, 4);
}

TEST(OptionsDialog, AfterOkWithOwnKeyEverythingIsTakenAndSaved)
{
    Settings s;
    s.limitUnit = 3;
    OptionsValues v = optionsValuesFrom(s, "", "");
    v.encAndDec = true;
    v.destPath2 = "/secret/";
    v.noUseContextMenu = true;
    v.smallMenuTopmost = false;
    v.smallMenuPosition = 5;
    v.ddSelfEncrypt = true;
    v.timerListIndex = 1;
    const OptionsOutcome outcome = applyOptionsResult(s, v, true);
    EXPECT_TRUE(outcome.saveSettings);
    EXPECT_TRUE(outcome.takeUserInfo);
    EXPECT_FALSE(outcome.userInfoNotReflected);
    EXPECT_TRUE(outcome.markSpecificFolder);
    EXPECT_TRUE(outcome.removeContextMenu);
    EXPECT_EQ(s.encAndDec, 1);
    EXPECT_EQ(s.destPath2, "/secret/");
    EXPECT_EQ(s.timeForTimer, 5);
    EXPECT_EQ(s.smallMenuTopmost, 0);
    EXPECT_EQ(s.smallMenuPosition, 5);
    EXPECT_EQ(s.ddSelfEncrypt, 1);
    EXPECT_EQ(s.limitUnit, 3);
    EXPECT_FALSE(applyOptionsResult(s, v, true).markSpecificFolder);
}

TEST(SystemFolderFactsTest, RealMachine)
{
    SystemFolderFacts facts;
    test::TempFolder dir;
    EXPECT_TRUE(facts.isDriveRoot("/"));
    EXPECT_TRUE(facts.isDriveRoot("/proc"));
    EXPECT_FALSE(facts.isDriveRoot(dir.path()));
    EXPECT_TRUE(facts.folderExists(dir.path()));
    EXPECT_FALSE(facts.folderExists(dir.slash() + "none"));
    EXPECT_EQ(facts.canonical(dir.slash() + "."), facts.canonical(dir.path()));
    EXPECT_EQ(checkGeneralFolder("/", "", "", facts).slot, Msg::SpecificFolderNotNetworkDrive);
    EXPECT_EQ(checkGeneralFolder("/etc", "", "", facts).slot, Msg::SystemFolderRefused);
    EXPECT_TRUE(checkGeneralFolder(dir.path(), "/nonexistent/keys/", "", facts).accepted);
    if (!facts.homeFolder().empty() && facts.homeFolder() != "/") {
        EXPECT_FALSE(checkGeneralFolder(facts.homeFolder(), "", "", facts).accepted);
    }
}

} // namespace
} // namespace mvx

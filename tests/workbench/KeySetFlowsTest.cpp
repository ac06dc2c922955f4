#include "ScriptedInteraction.h"
#include "TempFolder.h"

#include "app/Msg.h"
#include "keys/KeyFileStore.h"
#include "workbench/AppSession.h"
#include "workbench/KeyPairChoice.h"
#include "workbench/KeySetWizardFlow.h"
#include "workbench/OptionsApply.h"
#include "workbench/SpecificFolderMark.h"
#include "workbench/WorkList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace mvx {
namespace {

using test::ScriptedInteraction;
namespace fs = std::filesystem;

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class KeySetFlowsTest : public ::testing::Test {
protected:
    KeySetFlowsTest() : session(ui, temp.file("home"), "en") {}

    std::string text(int slot) { return session.messenger().text(slot); }
    void makeSet(const std::string& folder, const std::string& name)
    {
        ASSERT_TRUE(session.makeKeySet({temp.file(folder), name, "Me", "me@example.org"}).done);
        ui.clear();
    }

    TempFolder temp;
    ScriptedInteraction ui;
    AppSession session;
};

TEST_F(KeySetFlowsTest, WizardAsksForTheKeyRootOnlyWhileNoneIsSetAndNoBackupNoMakesNothing)
{
    EXPECT_FALSE(KeySetWizardFlow(session).chooseKeyRoot());  // browser cancelled
    EXPECT_EQ(ui.last().text, text(Msg::SelectKeyFolder));

    KeySetWizardFlow flow(session);
    ui.answerFolder(temp.file("keys"));
    ASSERT_EQ(flow.chooseKeyRoot(), temp.file("keys/"));
    EXPECT_FALSE(flow.acceptName("my.set"));
    EXPECT_EQ(ui.last().text, text(Msg::KeyFileNameForbiddenCharacter));
    ASSERT_TRUE(flow.acceptName("me"));
    EXPECT_NE(flow.summary("me").find("me))me-auth.kpub"), std::string::npos);

    ui.answerYesNo(false);
    EXPECT_FALSE(flow.finish("me", "Me", "me@example.org", false));
    EXPECT_EQ(ui.last().text, text(Msg::NoBackupConfirm));
    EXPECT_FALSE(fs::exists(temp.file("keys/me.kpub")));

    ui.answerYesNo(true);
    ASSERT_TRUE(flow.finish("me", "Me", "me@example.org", false));
    EXPECT_TRUE(session.requireKeySet());
    EXPECT_EQ(session.keys().userName(), "Me");
    EXPECT_TRUE(fs::exists(temp.file("keys/KeyList_me/me))me-auth.kpub")));

    // A second set goes beside the first without asking for the root again.
    ui.clear();
    KeySetWizardFlow second(session);
    EXPECT_EQ(second.chooseKeyRoot(), temp.file("keys/"));
    EXPECT_EQ(ui.count(ScriptedInteraction::Kind::ChooseFolder), 0u);
}

TEST_F(KeySetFlowsTest, KeyPairChosenByHandIsSavedAndAnInvalidPairChangesNothing)
{
    makeSet("keys/", "me");
    makeSet("other/", "other");
    ASSERT_EQ(session.settings().publicKeyName, "other.kpub");

    // A private key whose public key does not fit its length is refused.
    const std::string broken = temp.file("broken/");
    fs::create_directories(broken);
    fs::copy_file(temp.file("keys/mePrivate.kpri"), broken + "mePrivate.kpri");
    std::ofstream(broken + "me.kpub", std::ios::binary) << "short";
    ui.answerFiles(std::vector<std::string>{broken + "mePrivate.kpri"});
    ui.answerFiles(std::vector<std::string>{broken + "me.kpub"});
    EXPECT_FALSE(KeyPairChoice(session).chooseByHand());
    EXPECT_EQ(ui.last().text, text(Msg::SelectedKeyPairAbnormal));
    EXPECT_EQ(session.keys().ownPublicKeyPath(), temp.file("other/other.kpub"));

    ui.clear();
    ui.answerFiles(std::vector<std::string>{temp.file("keys/mePrivate.kpri")});
    ui.answerFiles(std::vector<std::string>{temp.file("keys/me.kpub")});
    ASSERT_TRUE(KeyPairChoice(session).chooseByHand());
    EXPECT_EQ(ui.shown()[0].text, text(Msg::SelectPrivateKeyFile));
    EXPECT_EQ(ui.shown()[0].filter, text(Msg::PrivateKeyFileFilter));
    EXPECT_EQ(ui.shown()[1].text, text(Msg::SelectPublicKeyFile));
    EXPECT_EQ(session.keys().ownPublicKeyPath(), temp.file("keys/me.kpub"));
    EXPECT_EQ(session.keys().keyFolder(), temp.file("keys/KeyList_me/"));

    ScriptedInteraction quiet;
    AppSession restarted(quiet, temp.file("home"), "en");
    EXPECT_EQ(restarted.keys().ownPrivateKeyPath(), temp.file("keys/mePrivate.kpri"));
}

TEST_F(KeySetFlowsTest, MovedKeyPairIsFoundInTheFolderTheUserPointsAt)
{
    makeSet("keys/", "me");
    EXPECT_FALSE(KeyPairChoice(session).keyPairMoved());
    fs::rename(temp.file("keys"), temp.file("moved"));
    KeyPairChoice choice(session);
    ASSERT_TRUE(choice.keyPairMoved());

    ui.answerYesNo(false);
    EXPECT_FALSE(choice.locateMovedKeyPair());
    EXPECT_EQ(ui.last().text, text(Msg::KeyPairMovedQuestionEnglish));
    EXPECT_EQ(ui.last().icon, MsgIcon::Stop);

    ui.clear();
    ui.answerYesNo(true);
    ui.answerFolder(temp.file("elsewhere"));
    ui.answerFolder(temp.file("moved"));
    ASSERT_TRUE(choice.locateMovedKeyPair());
    EXPECT_EQ(ui.textsOf(ScriptedInteraction::Kind::Message), std::vector<std::string>{text(Msg::SelectedKeyPairAbnormal)});
    EXPECT_FALSE(choice.keyPairMoved());
    EXPECT_EQ(session.keys().keyFolder(), temp.file("moved/KeyList_me/"));
    EXPECT_EQ(session.keys().userName(), "Me");

    ScriptedInteraction quiet;
    AppSession restarted(quiet, temp.file("home"), "en");
    EXPECT_TRUE(restarted.requireKeySet());
}

TEST_F(KeySetFlowsTest, OptionsTakeNameAndMailMarkTheNewSpecificFolderAndUnmarkTheOld)
{
    makeSet("keys/", "me");
    const std::string first = temp.file("first/");
    const std::string second = temp.file("second/");
    fs::create_directories(first);
    fs::create_directories(second);
    std::ofstream(second + SpecificFolderMark::kFileName) << "[Desktop Entry]\nIcon=user-own\n";

    OptionsValues values = OptionsApply::current(session);
    values.destPath2 = first;
    values.encAndDec = true;
    values.useTimer = true;
    values.timerListIndex = 1;
    values.userName = "New Name";
    OptionsChange change = OptionsApply::apply(session, values);
    EXPECT_TRUE(change.idleTimerArmed);
    EXPECT_EQ(change.idleMinutes, 5);
    EXPECT_EQ(change.markedFolder, first);
    EXPECT_TRUE(SpecificFolderMark::isMarked(first));
    EXPECT_EQ(session.keys().userName(), "New Name");
    ScriptedInteraction quiet;
    EXPECT_EQ(AppSession(quiet, temp.file("home"), "en").keys().userName(), "New Name");

    values.destPath2 = second;
    values.useTimer = false;
    change = OptionsApply::apply(session, values);
    EXPECT_FALSE(change.idleTimerArmed);
    EXPECT_EQ(change.unmarkedFolder, first);
    EXPECT_FALSE(fs::exists(first + SpecificFolderMark::kFileName));
    // The user's own file is neither replaced nor taken for a mark.
    EXPECT_TRUE(change.markedFolder.empty());
    EXPECT_EQ(readFile(second + SpecificFolderMark::kFileName), "[Desktop Entry]\nIcon=user-own\n");
    EXPECT_TRUE(SpecificFolderMark::unmark(first));
}

TEST_F(KeySetFlowsTest, OptionsWithoutKeySetSayTheUserInformationIsNotReflected)
{
    OptionsValues values = OptionsApply::current(session);
    values.userName = "Nobody";
    values.deleteCheck1 = true;
    OptionsApply::apply(session, values);
    EXPECT_EQ(ui.last().text, text(Msg::UserInfoNotReflected));
    // Nothing is saved: a missing settings file reads as empty.
    EXPECT_EQ(readFile(temp.file("home/Values.dat")).find("DeleteCheck1=1"), std::string::npos);
}

TEST(SpecificFolderMarkTest, TheProtectedFolderWalkLeavesTheMarkAlone)
{
    TempFolder temp;
    const std::string folder = temp.file("protected/");
    fs::create_directories(folder + "sub");
    std::ofstream(folder + "sub/plain.txt") << "x";
    ASSERT_TRUE(SpecificFolderMark::mark(folder));
    ASSERT_TRUE(SpecificFolderMark::mark(folder + "sub"));
    WorkList work;
    work.ExpandFolder(folder, true);
    EXPECT_EQ(work.files(), std::vector<std::string>{folder + "sub/plain.txt"});
}

} // namespace
} // namespace mvx

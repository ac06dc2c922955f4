#include "WorkbenchFixture.h"

#include "engine/EncryptionSettings.h"
#include "workbench/IKeyDropHandler.h"
#include "workbench/WorkbenchCommands.h"

namespace mvx::test {
namespace {

class WorkbenchCommandsTest : public WorkbenchTest {
protected:
    WorkbenchCommands commands{context};
};

TEST_F(WorkbenchCommandsTest, EncryptWithoutPartnersIsRefused)
{
    write("a.txt", "a");
    studio.AddToStudio(temp.file("a.txt"));
    EXPECT_FALSE(commands.encryptButton({}, false, false));
    EXPECT_EQ(messages(), std::vector<std::string>{"Not set up partner."});
    EXPECT_EQ(studio.size(), 1u);
    EXPECT_TRUE(crypto.bodies.empty());
}

TEST_F(WorkbenchCommandsTest, EncryptTakesTheStudioFoldersOneLevelDeepAndEmptiesTheStudioList)
{
    write("folder/a.txt", "a");
    write("folder/sub/b.txt", "b");
    studio.AddToStudio(temp.file("folder"));
    EncryptOutcome outcome;
    EXPECT_TRUE(commands.encryptButton({context.keys.selfAuthKeyFile}, false, false, &outcome));
    EXPECT_EQ(outcome.containers, files({"folder/a.txt.klx"}));
    EXPECT_EQ(crypto.tails.back().mode, kKindMainWindow);
    EXPECT_TRUE(studio.empty());
}

TEST_F(WorkbenchCommandsTest, DecryptButtonTakesTheStudioListAndFilePaneDecryptionTheSelectedItems)
{
    studio.AddToStudio(writeContainer("a.txt.klx", "a"));
    studio.AddToStudio(writeContainer("b.txt.klx", "b"));
    const auto outcome = commands.decryptButton();
    EXPECT_EQ(outcome.decrypted.size(), 2u);
    EXPECT_TRUE(studio.empty());

    writeContainer("pane/c.klx", "c");
    writeContainer("pane/d.klx", "d");
    EXPECT_EQ(commands.decryptSelected(temp.file("pane"), {"c.klx", "d.klx"}).outputs, files({"pane/c", "pane/d"}));
}

TEST_F(WorkbenchCommandsTest, EncryptionForOneselfEmptiesTheStudioList)
{
    write("a.txt", "a");
    studio.AddToStudio(temp.file("other"));
    const auto outcome = commands.encryptForOneself(files({"a.txt"}));
    EXPECT_EQ(outcome.containers, files({"a.txt.klx"}));
    EXPECT_EQ(crypto.tails.back().recipients, std::vector<std::string>{context.keys.selfAuthKeyFile});
    EXPECT_TRUE(studio.empty());
}

// "Create Encrypt File" of the destination list: only the files chosen there,
// with the list's destinations and boxes; Cancel there leaves everything.
TEST_F(WorkbenchCommandsTest, DestinationListEncryptionTakesItsFilesAndTheListsChoices)
{
    write("a.txt", "a");
    EXPECT_TRUE(commands.encryptFromDestinationList(files({"a.txt"})).containers.empty());
    EXPECT_TRUE(crypto.tails.empty());

    EncryptChoices choices;
    choices.destinations = {context.keys.selfAuthKeyFile};
    choices.options.history = false;
    choices.options.deletePlainFiles = true;
    chooser.choices = choices;
    ui.answerYesNo(true);  // the deletion of the plain file
    const auto outcome = commands.encryptFromDestinationList(files({"a.txt"}));
    EXPECT_EQ(outcome.containers, files({"a.txt.klx"}));
    EXPECT_EQ(outcome.deletedPlainFiles, files({"a.txt"}));
    EXPECT_EQ(crypto.tails.back().mode, kKindFromDestinationList);
    EXPECT_EQ(crypto.tails.back().optionWord & 8u, 0u);
}

class RecordingKeyDrop : public IKeyDropHandler {
public:
    std::vector<std::string> registered, fragments;
    void registerPublicKeys(const std::vector<std::string>& keyFiles) override { registered = keyFiles; }
    void repairFromFragments(const std::vector<std::string>& files) override { fragments = files; }
};

TEST_F(WorkbenchCommandsTest, AMiniWindowDropIsSortedAndEachKindGoesItsWay)
{
    write("drop/a.txt.KLX", std::string(RecordingFileCrypto::kHeader) + "a" + RecordingFileCrypto::kTailMark);
    write("drop/friend.KPUB", "k");
    write("drop/me_user.kbky", "f");
    write("drop/notes.txt", "n");
    write("drop/sub/deep.txt", "d");
    const std::string loose = write("loose.txt", "l");
    RecordingKeyDrop keys;
    commands.dropOnMiniWindow({temp.file("drop"), loose}, true, &keys);
    EXPECT_EQ(keys.registered, files({"drop/friend.KPUB"}));
    EXPECT_EQ(keys.fragments, files({"drop/me_user.kbky"}));
    EXPECT_EQ(read(temp.file("drop/a.txt")), "a");
    EXPECT_EQ(ui.count(Kind::ChooseSavePath), 0u);
    ASSERT_EQ(crypto.tails.size(), 2u);  // notes.txt and loose.txt; the decrypted a.txt is not taken
    EXPECT_EQ(crypto.tails.front().mode, kKindForOneself);
    EXPECT_FALSE(exists(temp.file("drop/sub/deep.txt.klx")));
    EXPECT_TRUE(exists(temp.file("loose.txt.klx")));
}

TEST_F(WorkbenchCommandsTest, TheMiniEncryptButtonAsksForFilesWithItsTitleAndFilter)
{
    const std::string file = write("a.txt", "a");
    ui.answerFiles({file});
    chooser.choices = EncryptChoices{{context.keys.selfAuthKeyFile}, {}, false};
    const auto outcome = commands.miniEncryptButton();
    ASSERT_EQ(ui.count(Kind::ChooseFiles), 1u);
    EXPECT_EQ(ui.shown().front().text, "暗号化するファイルを選択する");
    EXPECT_EQ(ui.shown().front().filter, "全てのファイル(*.*)|*.*||");
    EXPECT_EQ(outcome.containers, files({"a.txt.klx"}));
}

} // namespace
} // namespace mvx::test

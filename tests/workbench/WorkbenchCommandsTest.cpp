#include "WorkbenchFixture.h"

#include "engine/EncryptionSettings.h"
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

} // namespace
} // namespace mvx::test

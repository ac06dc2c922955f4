#include "WorkbenchFixture.h"

#include "platform/SecureDelete.h"
#include "workbench/DeleteFlows.h"

#include <sys/stat.h>

namespace mvx::test {
namespace {

class DeleteFlowsTest : public WorkbenchTest {
protected:
    DeleteOutcome deleteHanded(const std::vector<std::string>& paths)
    {
        work.setFiles(paths);
        DeleteFlows flows(context);
        return flows.deleteWorkList();
    }
    static std::string question(const std::string& name) { return name + "\nDelete this file,is this true?"; }
};

TEST_F(DeleteFlowsTest, AFileWithAnotherNameElsewhereLosesOnlyThisNameAndTheUserIsTold)
{
    context.secureDelete = [](const std::string& path) { return SecureDelete(path); };
    const std::string linked = write("folder/linked.txt", "shared words");
    const std::string elsewhere = temp.file("elsewhere.txt");
    ASSERT_EQ(::link(linked.c_str(), elsewhere.c_str()), 0);
    const std::string own = write("folder/own.txt", "own words");
    ui.answerContinue(1);  // Delete all
    const auto outcome = deleteHanded({linked, own});
    EXPECT_EQ(outcome.deleted, std::vector<std::string>{own});
    EXPECT_EQ(outcome.namesOnly, std::vector<std::string>{linked});
    EXPECT_FALSE(exists(linked));
    EXPECT_EQ(read(elsewhere), "shared words");
    EXPECT_EQ(messages(), std::vector<std::string>{messenger.format(Msg::SharedContentNotOverwritten, linked)});
}

TEST_F(DeleteFlowsTest, OneFileIsAskedWithYesNo)
{
    const std::string file = write("a.txt", "a");
    ui.answerYesNo(true);
    const auto outcome = deleteHanded({file});
    EXPECT_EQ(ui.textsOf(Kind::YesNo), std::vector<std::string>{question(file)});
    EXPECT_EQ(ui.count(Kind::ContinueConfirm), 0u);
    EXPECT_EQ(outcome.deleted, std::vector<std::string>{file});
    EXPECT_FALSE(exists(file));
}

TEST_F(DeleteFlowsTest, SeveralFilesGetTheFourButtonDialogAndTheLastOneYesNo)
{
    const auto paths = std::vector<std::string>{write("a.txt", "a"), write("b.txt", "b"), write("c.txt", "c")};
    ui.answerContinue(0);  // a: Yes
    ui.answerContinue(2);  // b: No
    ui.answerYesNo(true);  // c: Yes
    const auto outcome = deleteHanded(paths);
    ASSERT_EQ(ui.count(Kind::ContinueConfirm), 2u);
    const auto& first = ui.shown().front();
    EXPECT_EQ(first.caption, "Delete");
    EXPECT_EQ(first.text, question(paths[0]));
    EXPECT_EQ(first.buttons, (std::array<std::string, 4>{"Yes", "Delete all", "No", "Stop"}));
    EXPECT_EQ(ui.textsOf(Kind::YesNo), std::vector<std::string>{question(paths[2])});
    EXPECT_EQ(outcome.deleted, (std::vector<std::string>{paths[0], paths[2]}));
    EXPECT_TRUE(exists(paths[1]));
}

TEST_F(DeleteFlowsTest, DeleteAllAsksNothingMore)
{
    const auto paths = std::vector<std::string>{write("a.txt", "a"), write("b.txt", "b"), write("c.txt", "c")};
    ui.answerContinue(1);
    const auto outcome = deleteHanded(paths);
    EXPECT_EQ(ui.shown().size(), 1u);
    EXPECT_EQ(outcome.deleted, paths);
}

TEST_F(DeleteFlowsTest, StopTouchesNothingMore)
{
    const auto paths = std::vector<std::string>{write("a.txt", "a"), write("b.txt", "b"), write("c.txt", "c")};
    ui.answerContinue(0);
    ui.answerContinue(3);
    const auto outcome = deleteHanded(paths);
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(shredded, std::vector<std::string>{paths[0]});
    EXPECT_TRUE(exists(paths[1]));
    EXPECT_TRUE(exists(paths[2]));
}

TEST_F(DeleteFlowsTest, AFifoInsideAFolderBeingShreddedIsRefusedByNameAndTheRestGoes)
{
    const std::string file = write("box/a.txt", "a");
    const std::string fifo = temp.file("box/0pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    ui.answerYesNo(true);
    const auto outcome = deleteHanded({temp.file("box")});
    EXPECT_EQ(messages(), std::vector<std::string>{fifo + " is not a regular file and was left alone."});
    EXPECT_EQ(ui.textsOf(Kind::YesNo), std::vector<std::string>{question(file)});
    EXPECT_EQ(shredded, std::vector<std::string>{file});
    EXPECT_EQ(outcome.refused, std::vector<std::string>{fifo});
}

TEST_F(DeleteFlowsTest, ReadOnlyFilesAreRefusedWithALineFeedInTheShellFlowOnly)
{
    const std::string locked = write("locked.txt", "l");
    makeReadOnly(locked);
    const auto outcome = deleteHanded({locked});
    EXPECT_EQ(messages(), std::vector<std::string>{locked + "\nThis file is read only,cannot delete."});
    EXPECT_EQ(ui.count(Kind::YesNo), 0u);
    EXPECT_EQ(outcome.refused, std::vector<std::string>{locked});
    EXPECT_TRUE(shredded.empty());

    ui.clear();
    DeleteFlows flows(context);
    flows.deleteSelectedItems(temp.path(), {"locked.txt"});
    EXPECT_EQ(messages(), std::vector<std::string>{locked + "This file is read only,cannot delete."});
    EXPECT_TRUE(exists(locked));
}

TEST_F(DeleteFlowsTest, DeleteFilesWalksEveryDepthAndRemovesEmptiedFoldersAfterStop)
{
    write("tree/a/x.txt", "x");
    write("tree/b/y.txt", "y");
    write("tree/b/z.txt", "z");
    write("tree/c/desktop.ini", "d");
    write("tree/c/deeper/Thumbs.db", "t");
    studio.AddToStudio(temp.file("tree"));
    ui.answerContinue(0);  // tree/a/x.txt
    ui.answerContinue(3);  // tree/b/y.txt: Stop
    DeleteFlows flows(context);
    const auto outcome = flows.deleteStudioFiles();
    EXPECT_TRUE(outcome.stopped);
    EXPECT_EQ(outcome.deleted, files({"tree/a/x.txt"}));
    EXPECT_FALSE(exists(temp.file("tree/a")));
    EXPECT_TRUE(exists(temp.file("tree/b/y.txt")));
    EXPECT_TRUE(exists(temp.file("tree/b/z.txt")));
    EXPECT_TRUE(exists(temp.file("tree/c/desktop.ini")));
    EXPECT_TRUE(exists(temp.file("tree/c/deeper/Thumbs.db")));
    EXPECT_EQ(statuses().front(), "x.txt is perfect deleting.....");
    EXPECT_EQ(statuses().back(), "");
    EXPECT_EQ(studio.entries(), std::vector<std::string>{temp.file("tree")});
    EXPECT_TRUE(work.folders().empty());
}

TEST_F(DeleteFlowsTest, DeleteFilesRemovesFoldersItEmptiedAndDropsGoneEntries)
{
    write("tree/sub/b.txt", "b");
    const std::string single = write("single.txt", "s");
    studio.AddToStudio(temp.file("tree"));
    studio.AddToStudio(single);
    ui.answerContinue(1);
    DeleteFlows flows(context);
    flows.deleteStudioFiles();
    EXPECT_FALSE(exists(temp.file("tree")));
    EXPECT_FALSE(exists(single));
    EXPECT_TRUE(studio.empty());
    EXPECT_EQ(progress.range, 2);
    EXPECT_EQ(progress.steps, 2);
}

TEST_F(DeleteFlowsTest, DeleteFilesWithAnEmptyStudioListSaysNoFileSelected)
{
    DeleteFlows flows(context);
    flows.deleteStudioFiles();
    EXPECT_EQ(statuses(), std::vector<std::string>{"No file selected."});
    EXPECT_EQ(messages(), std::vector<std::string>{"No file selected."});
}

TEST_F(DeleteFlowsTest, TheShellFlowShowsNoProgressAndRemovesTheFoldersItWasHanded)
{
    write("handed/x.txt", "x");
    ui.answerYesNo(true);
    deleteHanded({temp.file("handed")});
    EXPECT_TRUE(statuses().empty());
    EXPECT_FALSE(exists(temp.file("handed")));
}

} // namespace
} // namespace mvx::test

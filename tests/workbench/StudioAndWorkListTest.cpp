#include "WorkbenchFixture.h"

#include <algorithm>
#include <atomic>

namespace mvx::test {
namespace {

class StudioAndWorkListTest : public WorkbenchTest {
protected:
    void makeTree()
    {
        write("tree/a.txt", "a");
        write("tree/desktop.ini", "d");
        write("tree/Thumbs.db", "t");
        write("tree/sub/b.txt", "b");
        write("tree/sub/deeper/c.txt", "c");
        write("tree/sub/DESKTOP.INI", "d");
    }
};

TEST_F(StudioAndWorkListTest, AddingAPathTwiceKeepsOneEntryAndSaysSoInTheStatusLine)
{
    EXPECT_EQ(studio.AddToStudio("/data/a.txt"), 0);
    EXPECT_EQ(studio.AddToStudio("/data/b.txt"), 1);
    EXPECT_EQ(studio.AddToStudio("/data/a.txt"), StudioList::kAlreadyPresent);
    studio.addAndReport("/data/b.txt", messenger);
    studio.addAndReport("/data/c.txt", messenger);
    EXPECT_EQ(studio.entries(), (std::vector<std::string>{"/data/a.txt", "/data/b.txt", "/data/c.txt"}));
    EXPECT_EQ(statuses(), std::vector<std::string>{"This File or Folder has already been selected."});
}

TEST_F(StudioAndWorkListTest, PathsDifferingOnlyInCaseAreDifferentEntries)
{
    EXPECT_EQ(studio.AddToStudio("/data/a.txt"), 0);
    EXPECT_EQ(studio.AddToStudio("/data/A.txt"), 1);
}

TEST_F(StudioAndWorkListTest, ADroppedLinkAddsItsTarget)
{
    const std::string target = write("real/file.txt", "x");
    const std::string link = temp.file("link.txt");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    studio.addDropped({link, target}, messenger);
    EXPECT_EQ(studio.entries(), std::vector<std::string>{std::filesystem::canonical(target).string()});
    EXPECT_EQ(statuses().size(), 1u);
}

TEST_F(StudioAndWorkListTest, ADraggedEmptyFolderIsNotAddedAndPaneItemsAreJoinedToTheirFolder)
{
    std::filesystem::create_directories(temp.file("empty"));
    write("full/a.txt", "a");
    studio.addDraggedFolder(temp.file("empty"), messenger);
    studio.addDraggedFolder(temp.file("full"), messenger);
    studio.addPaneItems(temp.file("full"), {"a.txt"}, messenger);
    EXPECT_EQ(studio.entries(), (std::vector<std::string>{temp.file("full/"), temp.file("full/a.txt")}));
}

TEST_F(StudioAndWorkListTest, RebuildingExpandsStudioFoldersOneLevelDeep)
{
    makeTree();
    const std::string single = write("single.txt", "s");
    studio.AddToStudio(single);
    studio.AddToStudio(temp.file("tree"));
    work.rebuildFrom(studio);
    EXPECT_EQ(work.files(), (std::vector<std::string>{single, temp.file("tree/Thumbs.db"), temp.file("tree/a.txt"),
                                                      temp.file("tree/desktop.ini")}));
    EXPECT_EQ(work.folders(), std::vector<std::string>{temp.file("tree/")});
}

TEST_F(StudioAndWorkListTest, RecursiveExpansionGoesToEveryDepthAndSkipsDesktopIniAndThumbsDb)
{
    makeTree();
    work.ExpandEntry(temp.file("tree"), true);
    EXPECT_EQ(work.files(), (std::vector<std::string>{temp.file("tree/a.txt"), temp.file("tree/sub/b.txt"),
                                                      temp.file("tree/sub/deeper/c.txt")}));
    EXPECT_EQ(work.folders(), (std::vector<std::string>{temp.file("tree/"), temp.file("tree/sub/"),
                                                        temp.file("tree/sub/deeper/")}));
}

TEST_F(StudioAndWorkListTest, RecursiveExpansionDoesNotFollowLinksToFolders)
{
    write("outside/secret.txt", "s");
    write("walked/a.txt", "a");
    ASSERT_EQ(::symlink(temp.file("outside").c_str(), temp.file("walked/link").c_str()), 0);
    work.ExpandFolder(temp.file("walked/"), true);
    EXPECT_EQ(work.files(), std::vector<std::string>{temp.file("walked/a.txt")});
}

TEST_F(StudioAndWorkListTest, TheAbortFlagEndsTheWalk)
{
    makeTree();
    std::atomic<bool> abort = false;
    int pumped = 0;
    work.setAbortFlag(&abort);
    work.setPump([&] {
        if (++pumped == 3)
            abort = true;
    });
    work.ExpandFolder(temp.file("tree"), true);
    EXPECT_EQ(work.files(), std::vector<std::string>{temp.file("tree/a.txt")});
    EXPECT_EQ(work.folders(), std::vector<std::string>{});
    EXPECT_EQ(pumped, 3);
}

TEST_F(StudioAndWorkListTest, RemovingCollectedFoldersTakesOnlyTheEmptiedOnes)
{
    write("tree/keep.txt", "k");
    std::filesystem::create_directories(temp.file("tree/empty/inner"));
    work.ExpandEntry(temp.file("tree"), true);
    work.removeEmptiedFolders();
    EXPECT_FALSE(exists(temp.file("tree/empty")));
    EXPECT_TRUE(exists(temp.file("tree/keep.txt")));
    EXPECT_TRUE(work.folders().empty());
}

TEST_F(StudioAndWorkListTest, DroppingMissingEntriesKeepsTheOthers)
{
    const std::string there = write("there.txt", "t");
    studio.AddToStudio(temp.file("gone.txt"));
    studio.AddToStudio(there);
    studio.dropMissing();
    EXPECT_EQ(studio.entries(), std::vector<std::string>{there});
}

} // namespace
} // namespace mvx::test

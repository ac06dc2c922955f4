#include "workbench/FilePane.h"

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <utime.h>

namespace {

namespace fs = std::filesystem;

void writeFile(const std::string& path, size_t bytes)
{
    std::ofstream(path, std::ios::binary) << std::string(bytes, 'x');
}

std::vector<std::string> namesOf(const mvx::FilePane& pane)
{
    std::vector<std::string> names;
    for (const auto& entry : pane.entries())
        names.push_back(entry.name + (entry.folder ? "/" : ""));
    return names;
}

// A folder as a download folder holds it: files and containers in mixed
// case, a subfolder, a link to a folder, a hidden file.
class FilePaneTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(temp.file("b.txt"), 3);
        writeFile(temp.file("A.KLX"), 5);
        writeFile(temp.file("c.klx"), 7);
        writeFile(temp.file(".hidden.klx"), 1);
        fs::create_directory(temp.file("zeta"));
        fs::create_directory(temp.file("Alpha"));
        fs::create_directory_symlink(temp.file("zeta"), temp.file("linked"));
        writeFile(temp.file("zeta/inner.txt"), 1);
    }

    TempFolder temp;
    mvx::FilePane pane;
};

TEST_F(FilePaneTest, FoldersComeFirstThenFilesEachByNameWithoutHiddenOnes)
{
    pane.choose(temp.path());
    EXPECT_EQ(namesOf(pane), (std::vector<std::string>{"Alpha/", "linked/", "zeta/", "A.KLX", "b.txt", "c.klx"}));
}

TEST_F(FilePaneTest, EncryptedFilesOnlyKeepsFoldersAndContainersOfAnyCase)
{
    pane.choose(temp.path());
    pane.setEncryptedOnly(true);
    EXPECT_EQ(namesOf(pane), (std::vector<std::string>{"Alpha/", "linked/", "zeta/", "A.KLX", "c.klx"}));
    pane.setEncryptedOnly(false);
    EXPECT_EQ(pane.entries().size(), 6u);
}

TEST_F(FilePaneTest, SizeAndTimeAreReadForTheEntryAskedFor)
{
    const utimbuf times{1700000000, 1700000000};
    ASSERT_EQ(::utime(temp.file("c.klx").c_str(), &times), 0);
    pane.choose(temp.path());
    const size_t last = pane.entries().size() - 1;
    EXPECT_FALSE(pane.entries()[last].detailed);
    const auto& entry = pane.detailed(last);
    EXPECT_EQ(entry.name, "c.klx");
    EXPECT_EQ(entry.size, 7u);
    EXPECT_EQ(entry.modified, 1700000000);
    EXPECT_EQ(pane.detailed(0).size, 0u);  // a folder shows no size
    EXPECT_FALSE(pane.entries()[1].detailed);
}

TEST_F(FilePaneTest, AFolderGoneListsNothingAndUpStopsAtTheChosenFolder)
{
    pane.choose(temp.path());
    pane.show(temp.file("zeta"));
    EXPECT_EQ(namesOf(pane), std::vector<std::string>{"inner.txt"});
    EXPECT_TRUE(pane.upEnabled());
    pane.up();
    EXPECT_FALSE(pane.upEnabled());
    pane.up();
    EXPECT_EQ(pane.folder(), temp.path());
    pane.show(temp.file("missing"));
    EXPECT_TRUE(pane.entries().empty());
}

} // namespace

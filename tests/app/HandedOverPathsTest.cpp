#include "app/HandedOverPaths.h"

#include "TempFolder.h"

#include <gtest/gtest.h>


namespace mvx::test {
namespace {

struct HostileList {
    const char* what;
    std::string text;  // "@" stands for the test's folder, without its trailing '/'
    std::vector<std::string> paths;
    std::vector<std::string> refused;
};

std::string placed(std::string text, const std::string& folder)
{
    for (size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + folder.size()))
        text.replace(at, 1, folder);
    return text;
}

TEST(HandedOverPathsTest, ListsAreSplitBeforeTheyAreDecodedAndOnlyExistingLocalFilesAreTaken)
{
    TempFolder temp;
    const std::string folder = temp.path();
    for (const char* name : {"a", "b.txt", "a,b.txt", "a,,b.txt", "target.txt", "x y.klx", "line\nbreak.txt", "x.klx",
                             "y.klx", "100%.txt"})
        temp.write(name, name);

    const HostileList lists[] = {
        {"a comma inside a name", "@/a,b.txt", {"@/a,b.txt"}, {}},
        {"two commas inside a name", "@/a,,b.txt", {"@/a,,b.txt"}, {}},
        {"the list of two paths", "@/x.klx,@/y.klx", {"@/x.klx", "@/y.klx"}, {}},
        {"an empty piece and a missing file", "@/x.klx,,@/missing.klx,@/y.klx", {"@/x.klx", "@/y.klx"},
         {"@/missing.klx"}},
        {"a relative piece first", "b.txt,@/x.klx", {"@/x.klx"}, {"b.txt"}},
        {"an escaped zero byte", "file://@/target.txt%00.klx", {}, {"file://@/target.txt%00.klx"}},
        {"another host", "file://otherhost@/x.klx", {}, {"file://otherhost@/x.klx"}},
        {"another scheme", "smb://server@/x.klx", {}, {"smb://server@/x.klx"}},
        {"a bad escape", "file://@/100%.txt", {}, {"file://@/100%.txt"}},
        {"the local host and an escaped space", "file://localhost@/x%20y.klx", {"@/x y.klx"}, {}},
        {"the short form", "file:@/x.klx", {"@/x.klx"}, {}},
        {"a URI list with a comment, escaped commas and line breaks",
         "# copied\r\nfile://@/a%2Cb.txt\r\nfile://@/line%0Abreak.txt\r\nfile://@/100%25.txt\r\n",
         {"@/a,b.txt", "@/line\nbreak.txt", "@/100%.txt"},
         {}},
        {"a URI's comma is not a separator", "file://@/a,b.txt", {"@/a,b.txt"}, {}},
        {"lines of both kinds", "@/x.klx\nfile://@/y.klx", {"@/x.klx", "@/y.klx"}, {}},
    };
    for (const HostileList& list : lists) {
        const HandedOverPaths read = HandedOverPaths::read(placed(list.text, folder));
        std::vector<std::string> paths, refused;
        for (const std::string& path : list.paths)
            paths.push_back(placed(path, folder));
        for (const std::string& entry : list.refused)
            refused.push_back(placed(entry, folder));
        EXPECT_EQ(read.paths, paths) << list.what;
        EXPECT_EQ(read.refused, refused) << list.what;
    }
}

TEST(HandedOverPathsTest, TheRefusedAreListedOneALineWithControlCharactersMasked)
{
    HandedOverPaths read;
    read.refused = {"file://otherhost/a.klx", "/d/tab\there", "/d/bell\a"};
    EXPECT_EQ(read.refusedList(), "file://otherhost/a.klx\n/d/tab?here\n/d/bell?");
}

} // namespace
} // namespace mvx::test

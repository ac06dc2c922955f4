#include "platform/StaleTemporaries.h"

#include "EndedProcess.h"
#include "TempFolder.h"
#include "platform/FileAttributes.h"
#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <memory>

using namespace mvx;

TEST(StaleTemporariesTest, OnlyTheProgramsTemporaryNamesCarryAnOwner)
{
    const struct {
        const char* name;
        pid_t owner;
    } cases[] = {
        {".~notes.txt.1234-0", 1234},
        {".~notes.txt.klx.77-15", 77},
        {".~no-dot.5-6", 5},
        {"notes.txt.1234-0", 0},   // not hidden
        {".~notes.txt", 0},        // no suffix
        {".~notes.txt.12x-0", 0},  // not a process id
        {".~notes.txt.12-", 0},    // no serial
        {".~notes.txt.-3", 0},
        {".diary.txt", 0},
        {".~a.1234567890-1", 0},  // more digits than a process id has
    };
    for (const auto& c : cases)
        EXPECT_EQ(StaleTemporaries::ownerOf(c.name), c.owner) << c.name;
}

TEST(StaleTemporariesTest, OnlyThoseOfEndedProcessesAreRemovedAndPlainOnesAreOverwrittenFirst)
{
    TempFolder folder;
    const pid_t ended = endedProcessId();
    auto make = [&](const std::string& name) {
        const std::string path = folder.file(name);
        const std::string bytes(5000, 'p');
        writeWholeFile(path, bytes.data(), bytes.size());
        return path;
    };
    const std::string plainPart = make(temporaryNameOf("secret.txt", ended));
    const std::string containerPart = make(temporaryNameOf("secret.txt.klx", ended, 1));
    const std::vector<std::string> kept = {
        make(temporaryNameOf("mine.txt", ::getpid())),  // this process is writing it
        make(temporaryNameOf("init.txt", 1)),           // its process runs
        make(".diary.txt"),
        make("notes.txt"),
    };
    ASSERT_EQ(::symlink("notes.txt", folder.file(temporaryNameOf("link.txt", ended, 2)).c_str()), 0);
    const FdGuard watch(::open(plainPart.c_str(), O_RDONLY | O_CLOEXEC));

    auto removed = StaleTemporaries::removeIn(folder.path());
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{plainPart, containerPart}));
    for (const std::string& path : kept)
        EXPECT_TRUE(FileAttributes::exists(path)) << path;
    EXPECT_TRUE(FileAttributes::isSymbolicLink(folder.file(temporaryNameOf("link.txt", ended, 2))));
    // The partial plain output was destroyed, not only unlinked.
    char first = 0;
    ASSERT_TRUE(preadFully(watch.get(), &first, 1, 0));
    EXPECT_NE(first, 'p');
}

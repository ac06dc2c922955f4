#include "platform/SecureDelete.h"

#include "TempFolder.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <cstdlib>
#include <unistd.h>

using namespace mvx;

namespace {

class SecureDeleteTest : public ::testing::Test {
protected:
    void SetUp() override { Clock::setFixed(1'780'000'000); }
    void TearDown() override { Clock::useSystem(); }

    // A file held open, so its bytes can be seen after deletion.
    std::string makeWatchedFile(size_t size)
    {
        const std::string path = folder.file("victim.bin");
        std::vector<uint8_t> bytes(size, 0xFF);
        writeWholeFile(path, bytes.data(), bytes.size());
        watch = std::make_unique<FdGuard>(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        return path;
    }
    std::vector<uint8_t> watchedBytes() const
    {
        struct stat st {};
        ::fstat(watch->get(), &st);
        std::vector<uint8_t> bytes(static_cast<size_t>(st.st_size));
        EXPECT_TRUE(preadFully(watch->get(), bytes.data(), bytes.size(), 0));
        return bytes;
    }

    uint8_t expectedFill() const
    {
        std::srand(static_cast<unsigned>(Clock::unixNow()));
        return static_cast<uint8_t>(std::rand() % 255);
    }

    TempFolder folder;
    std::unique_ptr<FdGuard> watch;
};

} // namespace

TEST_F(SecureDeleteTest, OverwritesTheWholeLengthThenDeletes)
{
    const std::string path = makeWatchedFile(SecureDeleteParameters::kBufferSize + 1);
    EXPECT_NE(SecureDelete(path), 0);
    EXPECT_FALSE(FileAttributes::exists(path));
    const auto seen = watchedBytes();
    ASSERT_EQ(seen.size(), SecureDeleteParameters::kBufferSize + 1);
    const uint8_t fill = expectedFill();
    EXPECT_NE(fill, 0xFF);
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [fill](uint8_t b) { return b == fill; }));
}

TEST_F(SecureDeleteTest, EmptyFileIsDeletedWithoutWriting)
{
    const std::string path = folder.file("empty");
    writeWholeFile(path, "", 0);
    EXPECT_NE(SecureDelete(path), 0);
    EXPECT_FALSE(FileAttributes::exists(path));
}

TEST_F(SecureDeleteTest, MissingPathIsCreatedAndDeleted)
{
    const std::string path = folder.file("never-there");
    EXPECT_NE(SecureDelete(path), 0);
    EXPECT_FALSE(FileAttributes::exists(path));
}

TEST_F(SecureDeleteTest, ReadOnlyFileIsLeftAlone)
{
    const std::string path = makeWatchedFile(100);
    ASSERT_TRUE(FileAttributes::setReadOnly(path));
    EXPECT_EQ(SecureDelete(path), 0);
    ASSERT_TRUE(FileAttributes::exists(path));
    const auto seen = readWholeFile(path).value();
    EXPECT_TRUE(std::all_of(seen.begin(), seen.end(), [](uint8_t b) { return b == 0xFF; }));
}

TEST_F(SecureDeleteTest, FillByteIsNeverTwoHundredFiftyFive)
{
    for (int64_t second = 0; second < 2000; ++second) {
        Clock::setFixed(1'780'000'000 + second);
        ASSERT_NE(expectedFill(), 0xFF);
    }
    // The routine itself draws from the same generator.
    const std::string path = makeWatchedFile(10);
    ASSERT_NE(SecureDelete(path), 0);
    const auto seen = watchedBytes();
    EXPECT_EQ(seen[0], expectedFill());
}

TEST_F(SecureDeleteTest, AFileWithFurtherNamesLosesOnlyThisNameAndKeepsTheSharedContent)
{
    // The other name may be a file outside the folder being cleaned (a hard
    // link into the protected folder): its content must survive untouched.
    const std::string path = makeWatchedFile(SecureDeleteParameters::kBufferSize + 1);
    const std::string outside = folder.file("outside.bin");
    ASSERT_EQ(::link(path.c_str(), outside.c_str()), 0);
    EXPECT_EQ(SecureDelete(path), SecureDeleteResult::kNameRemovedOnly);
    EXPECT_FALSE(FileAttributes::exists(path));
    const auto kept = readWholeFile(outside).value();
    ASSERT_EQ(kept.size(), SecureDeleteParameters::kBufferSize + 1);
    EXPECT_TRUE(std::all_of(kept.begin(), kept.end(), [](uint8_t b) { return b == 0xFF; }));
    // With the last name gone, the content is destroyed as usual.
    watch.reset();
    watch = std::make_unique<FdGuard>(::open(outside.c_str(), O_RDONLY | O_CLOEXEC));
    EXPECT_EQ(SecureDelete(outside), SecureDeleteResult::kDestroyed);
    EXPECT_EQ(watchedBytes()[0], expectedFill());
}

#include "platform/SecureDelete.h"

#include "TempFolder.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/FileIo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <unistd.h>

using namespace mvx;

namespace {

class SecureDeleteTest : public ::testing::Test {
protected:
    void SetUp() override { Clock::setFixed(1'780'000'000); }
    void TearDown() override { Clock::useSystem(); }

    // A file with a second hard link, so its bytes can be seen after deletion.
    std::string makeWatchedFile(size_t size, const std::string& watchName)
    {
        const std::string path = folder.file("victim.bin");
        std::vector<uint8_t> bytes(size, 0xFF);
        writeWholeFile(path, bytes.data(), bytes.size());
        EXPECT_EQ(::link(path.c_str(), folder.file(watchName).c_str()), 0);
        return path;
    }

    uint8_t expectedFill() const
    {
        std::srand(static_cast<unsigned>(Clock::unixNow()));
        return static_cast<uint8_t>(std::rand() % 255);
    }

    TempFolder folder;
};

} // namespace

TEST_F(SecureDeleteTest, OverwritesTheWholeLengthThenDeletes)
{
    const std::string path = makeWatchedFile(SecureDeleteParameters::kBufferSize + 1, "watch");
    EXPECT_NE(SecureDelete(path), 0);
    EXPECT_FALSE(FileAttributes::exists(path));
    const auto seen = readWholeFile(folder.file("watch")).value();
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
    const std::string path = makeWatchedFile(100, "watch");
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
    const std::string path = makeWatchedFile(10, "watch");
    ASSERT_NE(SecureDelete(path), 0);
    const auto seen = readWholeFile(folder.file("watch")).value();
    EXPECT_EQ(seen[0], expectedFill());
}

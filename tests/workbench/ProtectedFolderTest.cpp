#include "WorkbenchFixture.h"

#include "engine/EncryptionSettings.h"
#include "workbench/ProtectedFolder.h"

#include <algorithm>

namespace mvx::test {
namespace {

class ProtectedFolderTest : public WorkbenchTest {
protected:
    ProtectedFolderTest() { std::filesystem::create_directories(temp.file("vault")); }

    void fill(size_t count)
    {
        for (size_t i = 0; i < count; ++i)
            write("vault/f" + std::to_string(i) + ".txt", "x");
    }
    size_t questionsAboutManyFiles() const
    {
        const auto asked = ui.textsOf(Kind::YesNo);
        return static_cast<size_t>(std::count(asked.begin(), asked.end(), text(Msg::ThousandFilesQuestion)));
    }

    ProtectedFolder vault{context, temp.file("vault")};
};

TEST_F(ProtectedFolderTest, MoreThanAThousandFilesAskFirstAndNoLeavesThemAlone)
{
    fill(1001);
    const auto outcome = vault.encryptAtExit(false);
    EXPECT_EQ(questionsAboutManyFiles(), 1u);
    EXPECT_TRUE(outcome.containers.empty());
    EXPECT_TRUE(crypto.bodies.empty());
}

TEST_F(ProtectedFolderTest, AThousandFilesAreEncryptedWithoutAskingAndThePlainFilesDestroyed)
{
    fill(1000);
    const auto outcome = vault.encryptAtExit(false);
    EXPECT_EQ(questionsAboutManyFiles(), 0u);
    EXPECT_EQ(ui.count(Kind::YesNo), 0u);
    EXPECT_EQ(outcome.containers.size(), 1000u);
    EXPECT_EQ(outcome.deletedPlainFiles.size(), 1000u);
    EXPECT_FALSE(exists(temp.file("vault/f0.txt")));
    EXPECT_TRUE(exists(temp.file("vault/f0.txt.klx")));
    EXPECT_TRUE(messages().empty());
}

TEST_F(ProtectedFolderTest, EncryptionAtExitUsesTheCachedKeyAndSkipsContainersAndPrivateKeysSilently)
{
    write("vault/a.txt", "a");
    write("vault/old.KLX", "o");
    write("vault/me.kpri", "k");
    write("vault/a.txt.klx", "older");
    write("vault/desktop.ini", "d");
    write("vault/sub/b.txt", "b");
    vault.encryptAtExit(false);
    ASSERT_EQ(crypto.bodies.size(), 2u);
    EXPECT_EQ(crypto.bodies[0], std::make_pair(temp.file("vault/sub/b.txt"), 1));
    EXPECT_EQ(crypto.tails.back().mode, kKindProtectedFolder);
    EXPECT_EQ(crypto.tails.back().optionWord, 0u);
    EXPECT_EQ(RecordingFileCrypto::plainOf(temp.file("vault/a.txt.klx")), std::optional<std::string>("a"));
    EXPECT_TRUE(exists(temp.file("vault/old.KLX")));
    EXPECT_TRUE(exists(temp.file("vault/desktop.ini")));
    EXPECT_TRUE(ui.textsOf(Kind::Notice).empty());
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(progress.lines.size(), 5u);
}

TEST_F(ProtectedFolderTest, ReadOnlyFilesAreLeftOutWithOneNoticeThatCanBeSilenced)
{
    write("vault/a.txt", "a");
    makeReadOnly(write("vault/r1.txt", "r"));
    makeReadOnly(write("vault/r2.txt", "r"));
    ui.answerNotice(true);
    vault.encryptAtExit(false);
    EXPECT_EQ(ui.textsOf(Kind::Notice), std::vector<std::string>{text(Msg::ReadOnlyInProtectedFolder)});
    EXPECT_TRUE(context.settings.stopDlg);
    EXPECT_TRUE(exists(temp.file("vault/r1.txt")));
    EXPECT_FALSE(exists(temp.file("vault/r1.txt.klx")));
    EXPECT_TRUE(exists(temp.file("vault/a.txt.klx")));

    ui.clear();
    vault.encryptAtExit(false);
    EXPECT_EQ(ui.count(Kind::Notice), 0u);
}

TEST_F(ProtectedFolderTest, AnOpenFileIsCheckedAgainUntilItCanBeOpenedOrTheUserGivesUp)
{
    write("vault/busy.txt", "b");
    write("vault/stuck.txt", "s");
    int busyChecks = 0;
    context.canOpen = [&](const std::string& path) {
        if (path == temp.file("vault/busy.txt"))
            return ++busyChecks >= 3;
        return path != temp.file("vault/stuck.txt");
    };
    ui.answerOkCancel(false);  // stuck.txt: give up
    ui.answerOkCancel(true);   // busy.txt: closed? not yet
    ui.answerOkCancel(true);   // busy.txt: closed now
    const auto outcome = vault.encryptAtExit(false);
    EXPECT_EQ(ui.textsOf(Kind::OkCancel), std::vector<std::string>(3, text(Msg::AutoCloseFileStillOpen)));
    EXPECT_EQ(outcome.containers, std::vector<std::string>{temp.file("vault/busy.txt.klx")});
    EXPECT_TRUE(exists(temp.file("vault/stuck.txt")));
}

TEST_F(ProtectedFolderTest, AnAutomaticCloseLeavesOpenFilesOutWithOneNotice)
{
    write("vault/a.txt", "a");
    write("vault/b.txt", "b");
    write("vault/c.txt", "c");
    context.canOpen = [&](const std::string& path) { return path == temp.file("vault/c.txt"); };
    ui.answerNotice(true);
    const auto outcome = vault.encryptAtExit(true);
    EXPECT_EQ(ui.textsOf(Kind::Notice), std::vector<std::string>{text(Msg::AutoCloseFileStillOpen)});
    EXPECT_EQ(ui.count(Kind::OkCancel), 0u);
    EXPECT_TRUE(context.settings.autoEncComplusion);
    EXPECT_EQ(outcome.containers, std::vector<std::string>{temp.file("vault/c.txt.klx")});
}

TEST_F(ProtectedFolderTest, DecryptionAtStartWalksEveryDepthAndDeletesTheContainers)
{
    writeContainer("vault/a.txt.klx", "a");
    writeContainer("vault/sub/b.txt.klx", "b");
    const auto outcome = vault.decryptAtStart();
    EXPECT_EQ(outcome.decrypted.size(), 2u);
    EXPECT_EQ(read(temp.file("vault/sub/b.txt")), "b");
    EXPECT_FALSE(exists(temp.file("vault/sub/b.txt.klx")));
    EXPECT_TRUE(messages().empty());
}

TEST_F(ProtectedFolderTest, KlxKeepKeepsTheContainers)
{
    context.settings.klxKeep = true;
    const std::string container = writeContainer("vault/a.txt.klx", "a");
    vault.decryptAtStart();
    EXPECT_TRUE(exists(container));
    EXPECT_TRUE(exists(temp.file("vault/a.txt")));
}

TEST_F(ProtectedFolderTest, AUsbMemoryIsDecryptedOnlyAfterYes)
{
    const std::string container = writeContainer("vault/a.txt.klx", "a");
    vault.decryptOnUsb(true);
    EXPECT_EQ(ui.textsOf(Kind::YesNo), std::vector<std::string>{text(Msg::UsbDecryptQuestion)});
    EXPECT_TRUE(exists(container));
    ui.answerYesNo(true);
    vault.decryptOnUsb(true);
    EXPECT_FALSE(exists(container));
}

TEST_F(ProtectedFolderTest, AMissingFolderDoesNothing)
{
    ProtectedFolder missing(context, temp.file("nowhere"));
    missing.encryptAtExit(false);
    missing.decryptAtStart();
    EXPECT_EQ(ui.count(Kind::Message), 2u);
    EXPECT_TRUE(crypto.bodies.empty());
    EXPECT_TRUE(crypto.opened.empty());
}

} // namespace
} // namespace mvx::test

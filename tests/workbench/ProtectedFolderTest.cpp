#include "WorkbenchFixture.h"

#include "engine/EncryptionSettings.h"
#include "workbench/ProtectedFolder.h"

#include "EndedProcess.h"

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

    // The one report of what stayed plain: each file with its reason.
    std::string report(const std::vector<std::pair<std::string, int>>& plain) const
    {
        std::string list;
        for (const auto& [name, reason] : plain)
            list += temp.file("vault/" + name) + ": " + text(reason) + "\n";
        return messenger.format(Msg::ProtectedFolderStayedPlain, temp.file("vault/"), list);
    }

    ProtectedFolder vault{context, temp.file("vault")};
};

TEST_F(ProtectedFolderTest, MoreThanAThousandFilesAskFirstAndNoLeavesThemAlone)
{
    fill(1001);
    const auto outcome = vault.encryptAtExit(false);
    EXPECT_EQ(questionsAboutManyFiles(), 1u);
    EXPECT_TRUE(outcome.encryption.containers.empty());
    EXPECT_TRUE(crypto.bodies.empty());
}

TEST_F(ProtectedFolderTest, AThousandFilesAreEncryptedWithoutAskingAndThePlainFilesDestroyed)
{
    fill(1000);
    const auto outcome = vault.encryptAtExit(false);
    EXPECT_EQ(questionsAboutManyFiles(), 0u);
    EXPECT_EQ(ui.count(Kind::YesNo), 0u);
    EXPECT_EQ(outcome.encryption.containers.size(), 1000u);
    EXPECT_EQ(outcome.encryption.deletedPlainFiles.size(), 1000u);
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
    EXPECT_EQ(outcome.encryption.containers, std::vector<std::string>{temp.file("vault/busy.txt.klx")});
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
    EXPECT_EQ(outcome.encryption.containers, std::vector<std::string>{temp.file("vault/c.txt.klx")});
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

TEST_F(ProtectedFolderTest, WhatStaysPlainAtExitIsNamedOnceWithWhyAndAKilledRunsPlainTextIsDestroyed)
{
    write("vault/a.txt", "a");
    write("vault/.diary.txt", "dear diary");
    write("vault/x.lnk", "link");
    makeReadOnly(write("vault/ro.txt", "r"));
    const std::string stale = write("vault/sub/" + temporaryNameOf("big.txt", endedProcessId()), "half the plain text");
    const std::string live = write("vault/" + temporaryNameOf("mine.txt", ::getpid()), "being written");
    ui.answerNotice(false);
    const auto closing = vault.encryptAtExit(false);
    EXPECT_EQ(messages(), std::vector<std::string>{report({{".diary.txt", Msg::PlainBecauseHidden},
                                                           {live.substr(temp.file("vault/").size()), Msg::PlainBecauseHidden},
                                                           {"x.lnk", Msg::PlainBecauseLink},
                                                           {"ro.txt", Msg::PlainBecauseLeftOut}})});
    EXPECT_TRUE(closing.closed());  // nothing that closing again would change
    EXPECT_FALSE(exists(stale));
    EXPECT_TRUE(exists(live));
    EXPECT_TRUE(exists(temp.file("vault/a.txt.klx")));
    EXPECT_TRUE(exists(temp.file("vault/.diary.txt")));
}

TEST_F(ProtectedFolderTest, AFileThatCannotBeEncryptedDoesNotKeepTheOthersPlainAndIsNamedByItsOwnName)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        write(std::string("vault/") + name, name);
    crypto.failBody = {temp.file("vault/b.txt")};
    const auto destroy = context.secureDelete;
    context.secureDelete = [&](const std::string& path) { return path == temp.file("vault/c.txt") ? 0 : destroy(path); };
    const auto closing = vault.encryptAtExit(false);
    // One report instead of a message per file (the deletion failure's among them).
    EXPECT_EQ(messages(), std::vector<std::string>{report({{"b.txt", Msg::PlainBecauseNotEncrypted},
                                                           {"c.txt", Msg::PlainBecauseNotDestroyed}})});
    EXPECT_FALSE(closing.closed());
    EXPECT_EQ(closing.encryption.containers, files({"vault/a.txt.klx", "vault/c.txt.klx", "vault/d.txt.klx"}));
    for (const char* name : {"a.txt", "d.txt"})
        EXPECT_FALSE(exists(temp.file(std::string("vault/") + name))) << name;
    EXPECT_EQ(read(temp.file("vault/b.txt")), "b.txt");
    EXPECT_FALSE(exists(temp.file("vault/b.txt.klx")));
    size_t hidden = 0;
    for (const auto& entry : std::filesystem::directory_iterator(temp.file("vault")))
        hidden += entry.path().filename().string().front() == '.';
    EXPECT_EQ(hidden, 0u);
}

TEST_F(ProtectedFolderTest, AtStartTheFilesFoundPlainAreCountedAndAKilledRunsTemporariesDestroyed)
{
    writeContainer("vault/a.txt.klx", "a");
    write("vault/.diary.txt", "d");
    write("vault/b.txt", "b");
    write("vault/sub/c.txt", "c");
    write("vault/desktop.ini", "i");
    const std::string stale = write("vault/sub/" + temporaryNameOf("a.txt", endedProcessId()), "a");
    EXPECT_EQ(ProtectedFolder::plainFileCount(temp.file("vault")), 3u);
    vault.decryptAtStart();
    EXPECT_FALSE(exists(stale));
    EXPECT_EQ(read(temp.file("vault/a.txt")), "a");
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

#include "EndedProcess.h"
#include "WorkbenchFixture.h"

#include "engine/EncryptionSettings.h"
#include "workbench/DecryptBatch.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace mvx::test {
namespace {

class DecryptBatchTest : public WorkbenchTest {
protected:
    DecryptOutcome decrypt(const std::vector<std::string>& paths, int kind = kKindChooseDestinations)
    {
        work.setFiles(paths);
        DecryptBatch batch(context);
        return batch.run(kind);
    }
    bool shownMessage(const std::string& wanted) const
    {
        const auto all = messages();
        return std::find(all.begin(), all.end(), wanted) != all.end();
    }
};

TEST_F(DecryptBatchTest, AKilledRunsPartialPlainOutputIsDestroyedWhenABatchWritesBesideIt)
{
    const std::string container = writeContainer("box/data.txt.klx", "secret");
    const std::string stale = write("box/" + temporaryNameOf("data.txt", endedProcessId(), 3), "half the secret");
    decrypt({container}, kKindSilent);
    EXPECT_EQ(read(temp.file("box/data.txt")), "secret");
    EXPECT_FALSE(exists(stale));
}

TEST_F(DecryptBatchTest, AnEmptyListSaysNoFileSelected)
{
    const auto outcome = decrypt({});
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(statuses(), std::vector<std::string>{"No file selected."});
    EXPECT_EQ(messages(), std::vector<std::string>{"No file selected."});
}

TEST_F(DecryptBatchTest, APlainFileIsReportedAndTheContainerBesideItDecrypted)
{
    write("notes.txt", "plain");
    writeContainer("data.txt.klx", "secret");
    const auto outcome = decrypt(files({"notes.txt", "data.txt.klx"}));
    EXPECT_EQ(ui.textsOf(Kind::Notice), std::vector<std::string>{"notes.txtis not encrypted"});
    EXPECT_EQ(read(temp.file("data.txt")), "secret");
    EXPECT_EQ(outcome.decrypted, files({"data.txt.klx"}));
    EXPECT_EQ(messages().back(), "1 Files succeed in decryption.");
    EXPECT_EQ(progress.lines, (std::vector<std::string>{"Decrypting a file of 2 out of 1.",
                                                       "Decrypting a file of 2 out of 2."}));
    EXPECT_EQ(statuses().front(), temp.file("notes.txt") + " is decrypting.....");
}

TEST_F(DecryptBatchTest, OnlyTheFinalExtensionIsTakenOff)
{
    writeContainer("report.tar.gz.klx", "r");
    writeContainer("other.tar.gz.KLX", "o");
    decrypt(files({"report.tar.gz.klx", "other.tar.gz.KLX"}));
    EXPECT_EQ(read(temp.file("report.tar.gz")), "r");
    EXPECT_EQ(read(temp.file("other.tar.gz")), "o");
}

TEST_F(DecryptBatchTest, ASingleContainerOpensTheSaveDialogWithItsFilter)
{
    writeContainer("report.tar.gz.klx", "r");
    const std::string chosen = temp.file("elsewhere.gz");
    ui.answerSavePath(chosen);
    decrypt(files({"report.tar.gz.klx"}));
    ASSERT_EQ(ui.count(Kind::ChooseSavePath), 1u);
    const auto& dialog = *std::find_if(ui.shown().begin(), ui.shown().end(),
                                       [](const auto& shown) { return shown.kind == Kind::ChooseSavePath; });
    EXPECT_EQ(dialog.text, "Decrypt");
    EXPECT_EQ(dialog.path, temp.file("report.tar.gz"));
    EXPECT_EQ(dialog.filter, "すべてのgzファイル(*.gz)|*.gz||");
    EXPECT_EQ(read(chosen), "r");
    EXPECT_FALSE(exists(temp.file("report.tar.gz")));
}

TEST_F(DecryptBatchTest, AnOutputWithoutExtensionGetsTheAllFilesFilterAndCancelEndsTheBatch)
{
    writeContainer("README.klx", "r");
    const auto outcome = decrypt(files({"README.klx"}), kKindForOneself);
    EXPECT_EQ(ui.shown()[1].filter, "全てのファイル(*.*)|*.*||");
    EXPECT_FALSE(outcome.completed);
    EXPECT_FALSE(exists(temp.file("README")));
    EXPECT_TRUE(crypto.opened.empty());
    EXPECT_TRUE(messages().empty());
}

TEST_F(DecryptBatchTest, TwoContainersOpenNoSaveDialogAndDropByMiniWindowNeither)
{
    writeContainer("a.klx", "a");
    writeContainer("b.klx", "b");
    decrypt(files({"a.klx", "b.klx"}));
    writeContainer("c.klx", "c");
    decrypt(files({"c.klx"}), kKindFromDestinationList);
    EXPECT_EQ(ui.count(Kind::ChooseSavePath), 0u);
    EXPECT_EQ(read(temp.file("c")), "c");
}

TEST_F(DecryptBatchTest, DestPath2TakesTheOutputs)
{
    std::filesystem::create_directories(temp.file("plain"));
    context.settings.destPath2 = temp.file("plain");
    writeContainer("a.txt.klx", "a");
    writeContainer("b.txt.klx", "b");
    decrypt(files({"a.txt.klx", "b.txt.klx"}));
    EXPECT_EQ(read(temp.file("plain/a.txt")), "a");
    EXPECT_FALSE(exists(temp.file("a.txt")));
}

TEST_F(DecryptBatchTest, ContainersOnACdRomAreRefused)
{
    const std::string onDisc = writeContainer("a.klx", "a");
    cdRom.insert(onDisc);
    decrypt(files({"a.klx"}), kKindFromDestinationList);
    EXPECT_EQ(messages().front(), text(Msg::CdRomDecryptionNotAllowed));
    EXPECT_FALSE(exists(temp.file("a")));
}

TEST_F(DecryptBatchTest, ReadOnlyContainersAreRefusedAndTheNoticeCanBeTickedAway)
{
    makeReadOnly(writeContainer("a.klx", "a"));
    makeReadOnly(writeContainer("b.klx", "b"));
    writeContainer("c.klx", "c");
    ui.answerNotice(true);
    const auto outcome = decrypt(files({"a.klx", "b.klx", "c.klx"}));
    EXPECT_EQ(ui.textsOf(Kind::Notice), std::vector<std::string>{text(Msg::ContainerReadOnly)});
    EXPECT_EQ(outcome.decrypted, files({"c.klx"}));
    EXPECT_EQ(crypto.opened, files({"c.klx"}));
}

TEST_F(DecryptBatchTest, APlainFileIsTheOwnersAloneAndTakesItsNameOnlyWhenComplete)
{
    writeContainer("a.txt.klx", "new");
    const std::string older = write("a.txt", "older");
    ::chmod(older.c_str(), 0644);
    std::vector<std::string> underTheName;
    crypto.midWrite = [&] { underTheName.push_back(read(older)); };
    ui.answerYesNo(true);  // overwrite
    decrypt(files({"a.txt.klx"}), kKindFromDestinationList);
    EXPECT_EQ(underTheName, std::vector<std::string>{"older"});
    EXPECT_EQ(read(older), "new");
    struct stat st {};
    ASSERT_EQ(::stat(older.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 3);  // keys, container, plain
}

TEST_F(DecryptBatchTest, AFifoWithAContainerNameIsRefusedByName)
{
    const std::string fifo = temp.file("pipe.klx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    writeContainer("b.txt.klx", "b");
    const auto outcome = decrypt(files({"pipe.klx", "b.txt.klx"}));
    EXPECT_EQ(outcome.decrypted, files({"b.txt.klx"}));
    EXPECT_TRUE(shownMessage(fifo + " is not a regular file and was left alone."));
    EXPECT_EQ(crypto.opened, files({"b.txt.klx"}));
}

TEST_F(DecryptBatchTest, OverwriteQuestionsAndAReadOnlyOutput)
{
    writeContainer("a.txt.klx", "new");
    const std::string existing = write("a.txt", "old");
    decrypt(files({"a.txt.klx"}), kKindFromDestinationList);
    EXPECT_EQ(ui.textsOf(Kind::YesNo), std::vector<std::string>{"a.txt\nOverwrite for same name file.\nDo you Decrypt?"});
    EXPECT_EQ(read(existing), "old");

    makeReadOnly(existing);
    writeContainer("b.txt.klx", "b");
    ui.clear();
    ui.answerContinue(1);
    decrypt(files({"b.txt.klx", "a.txt.klx"}));
    EXPECT_EQ(read(existing), "old");
    EXPECT_TRUE(shownMessage(existing + " is read only file.\nCan't overwrite."));
    EXPECT_EQ(read(temp.file("b.txt")), "b");
}

TEST_F(DecryptBatchTest, AFailedDecryptionLeavesNoOutputAndTheExistingFileAndContainerUnchanged)
{
    const std::string container = writeContainer("a.txt.klx", "new");
    const std::string before = read(container);
    const std::string existing = write("a.txt", "old");
    crypto.failDecrypt.insert(container);
    ui.answerYesNo(true);
    const auto outcome = decrypt(files({"a.txt.klx"}), kKindFromDestinationList);
    EXPECT_TRUE(outcome.decrypted.empty());
    EXPECT_EQ(read(existing), "old");
    EXPECT_EQ(read(container), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 3);  // keys, container, a.txt
}

TEST_F(DecryptBatchTest, AnExceptionIsReportedAndTheBatchGoesOn)
{
    const std::string broken = writeContainer("a.klx", "a");
    writeContainer("b.klx", "b");
    crypto.throwOnOpen.insert(broken);
    const auto outcome = decrypt(files({"a.klx", "b.klx"}));
    EXPECT_EQ(messages().front(), "Happen to Error.");
    EXPECT_EQ(outcome.decrypted, files({"b.klx"}));
}

TEST_F(DecryptBatchTest, AfterKindZeroOnlyDecryptedEntriesLeaveTheStudioList)
{
    const std::string good = writeContainer("good.klx", "g");
    const std::string bad = write("bad.klx", "not a container");
    studio.AddToStudio(good);
    studio.AddToStudio(bad);
    work.rebuildFrom(studio);
    DecryptBatch batch(context);
    batch.run(kKindChooseDestinations);
    EXPECT_EQ(studio.entries(), std::vector<std::string>{bad});
    EXPECT_TRUE(work.empty());
}

TEST_F(DecryptBatchTest, TheSilentKindShowsNoSummaryNoNoticeAndDeletesContainersPlainly)
{
    write("plain.txt", "p");
    const std::string a = writeContainer("a.klx", "a");
    const std::string b = writeContainer("b.klx", "b");
    const auto outcome = decrypt(files({"plain.txt", "a.klx", "b.klx"}), kKindSilent);
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(ui.count(Kind::Notice), 0u);
    EXPECT_FALSE(exists(a));
    EXPECT_FALSE(exists(b));
    EXPECT_TRUE(shredded.empty());
    EXPECT_EQ(outcome.deletedContainers, files({"a.klx", "b.klx"}));
    EXPECT_EQ(progress.lines.front(), "");  // the English table has no text for the assigned folder
}

TEST_F(DecryptBatchTest, DeleteCheck2DestroysOnlyDecryptedContainers)
{
    context.settings.deleteCheck2 = true;
    const std::string good = writeContainer("good.klx", "g");
    const std::string failing = writeContainer("failing.klx", "f");
    crypto.failDecrypt.insert(failing);
    decrypt(files({"good.klx", "failing.klx"}));
    EXPECT_EQ(shredded, std::vector<std::string>{good});
    EXPECT_FALSE(exists(good));
    EXPECT_TRUE(exists(failing));
}

TEST_F(DecryptBatchTest, AnUnknownSenderGoesToTheHandlerAfterTheBodyIsWritten)
{
    const std::string container = writeContainer("a.klx", "a");
    writeContainer("b.klx", "b");
    crypto.openResults[container] = 1;
    decrypt(files({"a.klx", "b.klx"}), kKindForOneself);
    ASSERT_EQ(unknownSender.calls.size(), 1u);
    EXPECT_EQ(unknownSender.calls[0].batchKind, kKindForOneself);
    EXPECT_EQ(unknownSender.calls[0].plainPath, temp.file("a"));
    EXPECT_EQ(unknownSender.calls[0].senderMail, "sender@example.org");
}

TEST_F(DecryptBatchTest, AMissingKeySetEndsTheBatch)
{
    writeContainer("a.klx", "a");
    ::unlink(context.keys.publicKeyFile.c_str());
    decrypt(files({"a.klx"}));
    EXPECT_EQ(messages(), std::vector<std::string>{"Public Key File is not found."});
    EXPECT_TRUE(crypto.opened.empty());
}

} // namespace
} // namespace mvx::test

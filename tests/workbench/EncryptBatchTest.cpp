#include "EndedProcess.h"
#include "WorkbenchFixture.h"

#include <sys/stat.h>

#include "engine/EncryptionSettings.h"
#include "platform/Clock.h"
#include "platform/SecureDelete.h"
#include "workbench/BatchFiles.h"
#include "workbench/EncryptBatch.h"

#include <algorithm>

namespace mvx::test {
namespace {

class EncryptBatchTest : public WorkbenchTest {
protected:
    EncryptBatchTest()
    {
        EncryptChoices choices;
        choices.destinations = {context.keys.selfAuthKeyFile, partnerKey};
        chooser.choices = choices;
    }

    EncryptOutcome encrypt(const std::vector<std::string>& paths, EncryptRequest request = {})
    {
        work.setFiles(paths);
        EncryptBatch batch(context);
        return batch.run(request);
    }
    EncryptRequest kind(int batchKind, bool interactive = true)
    {
        EncryptRequest request;
        request.kind = batchKind;
        request.interactive = interactive;
        return request;
    }
    std::string overwriteQuestion(const std::string& container) const
    {
        return BatchFiles::baseName(container) + text(Msg::OverwriteEncryptQuestion);
    }
};

// Exclusions and the empty list

TEST_F(EncryptBatchTest, AnEmptyListGivesItsMessageAndNoDialog)
{
    const auto outcome = encrypt({});
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(chooser.calls, 0);
    EXPECT_EQ(statuses(), std::vector<std::string>{"Not exist File in the studio."});
    EXPECT_EQ(messages(), std::vector<std::string>{"Not exist File in the studio."});
}

TEST_F(EncryptBatchTest, OnlyALowerCaseLnkEndingIsRemoved)
{
    const auto paths = files({"a.lnk", "b.LNK"});
    write("a.lnk", "a");
    write("b.LNK", "b");
    const auto outcome = encrypt(paths);
    EXPECT_EQ(messages().front(), "Because .lnk file can not encrypt,it remove in the list.");
    EXPECT_EQ(outcome.containers, std::vector<std::string>{temp.file("b.LNK.klx")});
    EXPECT_FALSE(exists(temp.file("a.lnk.klx")));
}

TEST_F(EncryptBatchTest, HiddenFilesAndLinksTogetherGiveOneMessage)
{
    write(".hidden", "h");
    write("x.lnk", "x");
    encrypt(files({".hidden", "x.lnk"}));
    EXPECT_EQ(messages(), (std::vector<std::string>{"Remove the hidden file and .lnk file.",
                                                   "Not exist File in the studio."}));
    ui.clear();
    write(".only", "h");
    encrypt(files({".only"}));
    EXPECT_EQ(messages().front(), "Remove the hidden file.");
}

TEST_F(EncryptBatchTest, ContainersAreRefusedWhateverTheCaseAndPrivateKeysToo)
{
    write("x.KlX", "x");
    write("y.klx", "y");
    write("z.kpri", "z");
    write("p.txt", "p");
    const auto outcome = encrypt(files({"x.KlX", "y.klx", "z.kpri", "p.txt"}));
    EXPECT_EQ(outcome.containers, std::vector<std::string>{temp.file("p.txt.klx")});
    EXPECT_EQ(work.files(), std::vector<std::string>{temp.file("p.txt")});
    EXPECT_EQ(ui.textsOf(Kind::Notice), (std::vector<std::string>{"y.klxhas already encrypted.",
                                                                 "x.KlXhas already encrypted."}));
    EXPECT_EQ(messages().front(), "z.kpriis PrivateKey File,not to encrypt.");
    EXPECT_FALSE(exists(temp.file("x.KlX.klx")));
    EXPECT_FALSE(exists(temp.file("z.kpri.klx")));
}

TEST_F(EncryptBatchTest, TickingTheNoticeAwaySilencesTheRestOfTheBatchOnly)
{
    write("a.klx", "a");
    write("b.klx", "b");
    write("c.klx", "c");
    ui.answerNotice(true);
    encrypt(files({"a.klx", "b.klx", "c.klx"}));
    EXPECT_EQ(ui.count(Kind::Notice), 1u);
    ui.clear();
    encrypt(files({"a.klx", "b.klx"}));
    EXPECT_EQ(ui.count(Kind::Notice), 2u);
}

TEST_F(EncryptBatchTest, ASingleContainerIsRefusedInAMessageBox)
{
    write("a.klx", "a");
    encrypt(files({"a.klx"}));
    EXPECT_EQ(ui.count(Kind::Notice), 0u);
    EXPECT_EQ(messages().front(), "a.klxhas already encrypted.");
    const auto message = std::find_if(ui.shown().begin(), ui.shown().end(),
                                      [](const auto& shown) { return shown.kind == Kind::Message; });
    EXPECT_EQ(message->icon, MsgIcon::Stop);
}

TEST_F(EncryptBatchTest, AFileThatCannotBeOpenedIsReportedAndSkipped)
{
    write("b.txt", "b");
    const auto outcome = encrypt(files({"gone.txt", "b.txt"}));
    EXPECT_EQ(messages().front(), "Because " + temp.file("gone.txt") + " is edited by another program, not to encrypt.");
    EXPECT_EQ(outcome.containers, std::vector<std::string>{temp.file("b.txt.klx")});
}

// Output names and folders

TEST_F(EncryptBatchTest, TheContainerNameIsTheWholeNameWithKlxAppended)
{
    write("README", "r");
    write("a.b.c.txt", "a");
    const auto outcome = encrypt(files({"README", "a.b.c.txt"}));
    EXPECT_EQ(outcome.containers, (std::vector<std::string>{temp.file("README.klx"), temp.file("a.b.c.txt.klx")}));
    EXPECT_EQ(RecordingFileCrypto::plainOf(temp.file("README.klx")), std::optional<std::string>("r"));
}

TEST_F(EncryptBatchTest, TheDialogsOutputFolderWinsOverDestPath1WhenItExists)
{
    write("a.txt", "a");
    std::filesystem::create_directories(temp.file("out"));
    std::filesystem::create_directories(temp.file("dest1"));
    context.settings.destPath1 = temp.file("dest1");
    chooser.choices->options.outputFolder = temp.file("out");
    EXPECT_EQ(encrypt(files({"a.txt"})).containers, std::vector<std::string>{temp.file("out/a.txt.klx")});
    chooser.choices->options.outputFolder = temp.file("missing");
    EXPECT_EQ(encrypt(files({"a.txt"})).containers, std::vector<std::string>{temp.file("dest1/a.txt.klx")});
}

// Overwrite questions

TEST_F(EncryptBatchTest, OneFileWithAnExistingOutputGetsAYesNoQuestion)
{
    write("a.txt", "new");
    const std::string old = write("a.txt.klx", "old");
    const auto outcome = encrypt(files({"a.txt"}));
    ASSERT_EQ(ui.count(Kind::YesNo), 1u);
    EXPECT_EQ(ui.textsOf(Kind::YesNo).front(), overwriteQuestion(old));
    EXPECT_EQ(ui.count(Kind::ContinueConfirm), 0u);
    EXPECT_EQ(read(old), "old");
    EXPECT_TRUE(outcome.containers.empty());
    EXPECT_TRUE(messages().empty());  // no summary when nothing was encrypted
    EXPECT_EQ(progress.closes, 1);
}

TEST_F(EncryptBatchTest, TwoFilesGetTheFourButtonDialogAndOverwriteAllStopsTheQuestions)
{
    write("a.txt", "a");
    write("b.txt", "b");
    write("c.txt", "c");
    write("a.txt.klx", "old");
    write("b.txt.klx", "old");
    write("c.txt.klx", "old");
    ui.answerContinue(1);
    const auto outcome = encrypt(files({"a.txt", "b.txt", "c.txt"}));
    ASSERT_EQ(ui.count(Kind::ContinueConfirm), 1u);
    const auto& dialog = *std::find_if(ui.shown().begin(), ui.shown().end(),
                                       [](const auto& shown) { return shown.kind == Kind::ContinueConfirm; });
    EXPECT_EQ(dialog.caption, "Overwrite");
    EXPECT_EQ(dialog.text, overwriteQuestion(temp.file("c.txt.klx")));
    EXPECT_EQ(dialog.buttons, (std::array<std::string, 4>{"Yes", "Overwrite all", "No", "Stop"}));
    EXPECT_EQ(outcome.containers.size(), 3u);
    EXPECT_EQ(RecordingFileCrypto::plainOf(temp.file("a.txt.klx")), std::optional<std::string>("a"));
}

TEST_F(EncryptBatchTest, AReadOnlyOutputIsNeverOverwrittenEvenAfterOverwriteAll)
{
    write("a.txt", "a");
    write("b.txt", "b");
    write("c.txt", "c");
    write("a.txt.klx", "old");
    const std::string locked = write("b.txt.klx", "locked");
    write("c.txt.klx", "old");
    makeReadOnly(locked);
    ui.answerContinue(1);
    const auto outcome = encrypt(files({"a.txt", "b.txt", "c.txt"}));
    EXPECT_EQ(read(locked), "locked");
    EXPECT_EQ(outcome.containers, (std::vector<std::string>{temp.file("a.txt.klx"), temp.file("c.txt.klx")}));
    EXPECT_EQ(messages().front(), locked + " is read only file.\nCan't overwrite.");
    EXPECT_EQ(work.files(), files({"a.txt", "c.txt"}));
}

TEST_F(EncryptBatchTest, NoSkipsOneFileAndStopEndsTheLoopWithTheFilesMadeSoFar)
{
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"})
        write(name, name);
    write("c.txt.klx", "old");
    write("b.txt.klx", "old");
    ui.answerContinue(2);  // c: No
    ui.answerContinue(3);  // b: Stop
    const auto outcome = encrypt(files({"a.txt", "b.txt", "c.txt", "d.txt"}));
    EXPECT_EQ(outcome.containers, std::vector<std::string>{temp.file("d.txt.klx")});
    EXPECT_EQ(work.files(), files({"d.txt"}));
    EXPECT_FALSE(exists(temp.file("a.txt.klx")));
    EXPECT_EQ(messages().back(), "1 files succeeded encryption.");
}

// Progress and summary

TEST_F(EncryptBatchTest, ProgressTextsCountFromTheLastEntryAndTheSummaryCountsOnlyContainers)
{
    write("a.txt", "a");
    write("b.klx", "b");
    write("c.txt", "c");
    encrypt(files({"a.txt", "b.klx", "c.txt"}));
    EXPECT_EQ(progress.lines, (std::vector<std::string>{"Encrypting a file of 3 out of 1.",
                                                       "Encrypting a file of 3 out of 2.",
                                                       "Encrypting a file of 3 out of 3."}));
    EXPECT_EQ(progress.waits, std::vector<std::string>{"Encrypt Processing. Please wait a minute."});
    EXPECT_EQ(progress.range, 3);
    EXPECT_EQ(progress.steps, 2);
    EXPECT_EQ(statuses().front(), temp.file("c.txt") + " is encrypting.....");
    EXPECT_EQ(statuses().back(), "");
    EXPECT_EQ(messages().back(), "2 files succeeded encryption.");
    EXPECT_TRUE(studio.empty());
}

// Key set and destinations

TEST_F(EncryptBatchTest, AMissingKeySetEndsTheBatchWithItsMessage)
{
    write("a.txt", "a");
    ::unlink(context.keys.privateKeyFile.c_str());
    encrypt(files({"a.txt"}));
    EXPECT_EQ(messages(), std::vector<std::string>{"Private Key File is not found."});
    ::unlink(context.keys.publicKeyFile.c_str());
    ui.clear();
    encrypt(files({"a.txt"}));
    EXPECT_EQ(messages(), std::vector<std::string>{"The first time,You must create key set.\nPlease create key set."});
    context.keys.settingsFileFound = false;
    ui.clear();
    encrypt(files({"a.txt"}));
    EXPECT_EQ(messages(), std::vector<std::string>{"'Values.dat' was not found."});
    EXPECT_TRUE(crypto.bodies.empty());
}

TEST_F(EncryptBatchTest, CancelInTheDestinationDialogEmptiesTheListsAndWritesNothing)
{
    write("a.txt", "a");
    studio.AddToStudio(temp.file("a.txt"));
    chooser.choices.reset();
    const auto outcome = encrypt(files({"a.txt"}));
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(chooser.ownName, "Me");
    EXPECT_EQ(chooser.files, files({"a.txt"}));
    EXPECT_TRUE(studio.empty());
    EXPECT_TRUE(work.empty());
    EXPECT_TRUE(crypto.bodies.empty());
}

TEST_F(EncryptBatchTest, KeyFoldersAreExpandedAndMissingKeysDropped)
{
    write("a.txt", "a");
    const std::string groupKey = write("keys/KeyList_me/group/me))kim-auth.kpub", "kim");
    directory.folders[temp.file("keys/KeyList_me/group/")] = {groupKey};
    chooser.choices->destinations = {temp.file("keys/KeyList_me/group/"), temp.file("keys/missing.kpub"),
                                     context.keys.selfAuthKeyFile};
    encrypt(files({"a.txt"}));
    EXPECT_EQ(messages().front(), temp.file("keys/missing.kpub") + " was not found.\n");
    EXPECT_EQ(crypto.recipients, (std::vector<std::string>{context.keys.selfAuthKeyFile, groupKey}));
}

TEST_F(EncryptBatchTest, NoKeyLeftEndsTheBatch)
{
    write("a.txt", "a");
    chooser.choices->destinations = {temp.file("keys/missing.kpub")};
    const auto outcome = encrypt(files({"a.txt"}));
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(messages().back(), "Not exit available public key. So this file was not encripted.");
    EXPECT_TRUE(crypto.bodies.empty());
}

TEST_F(EncryptBatchTest, EncryptionForOneselfNeedsTheSelfAuthenticationKey)
{
    write("a.txt", "a");
    ::unlink(context.keys.selfAuthKeyFile.c_str());
    encrypt(files({"a.txt"}), kind(kKindForOneself));
    EXPECT_EQ(messages(), std::vector<std::string>{text(Msg::NoSelfAuthKey)});
    EXPECT_TRUE(crypto.bodies.empty());
}

// The option word

TEST_F(EncryptBatchTest, TheOptionWordFollowsKindOptionsAndKeyKinds)
{
    write("a.txt", "a");
    encrypt(files({"a.txt"}), kind(kKindForOneself));
    EXPECT_EQ(crypto.tails.back().optionWord, 8u);
    EXPECT_EQ(crypto.tails.back().mode, kKindForOneself);

    ::unlink(temp.file("a.txt.klx").c_str());
    EncryptRequest mainWindow = kind(kKindMainWindow);
    mainWindow.destinations = {context.keys.selfAuthKeyFile, plainKey};
    encrypt(files({"a.txt"}), mainWindow);
    EXPECT_EQ(crypto.tails.back().optionWord, 8u + 4u);

    ::unlink(temp.file("a.txt.klx").c_str());
    chooser.choices->options.timeLimitOn = true;
    chooser.choices->options.timeLimit = {3600, true};
    encrypt(files({"a.txt"}));
    EXPECT_EQ(crypto.tails.back().optionWord, 1u + 8u);
    EXPECT_EQ(crypto.tails.back().limit.seconds, 3600u);
    EXPECT_TRUE(crypto.tails.back().limit.fromFirstDecryption);
}

TEST_F(EncryptBatchTest, ADirectDeadlineBecomesSecondsFromEachFilesEncryption)
{
    Clock::setFixed(1'800'000'000);
    write("a.txt", "a");
    chooser.choices->options.timeLimitOn = true;
    chooser.choices->options.deadline = 1'800'000'000 + 7200;
    encrypt(files({"a.txt"}));
    Clock::useSystem();
    EXPECT_EQ(crypto.tails.back().limit.seconds, 7200u);
    EXPECT_FALSE(crypto.tails.back().limit.fromFirstDecryption);
}

TEST_F(EncryptBatchTest, TheOptionsDialogOfTheMainWindowCanCancelAndSetTheOutputFolder)
{
    write("a.txt", "a");
    EncryptRequest request = kind(kKindMainWindow);
    request.destinations = {context.keys.selfAuthKeyFile};
    request.useOptionsDialog = true;
    EXPECT_FALSE(encrypt(files({"a.txt"}), request).completed);
    EXPECT_TRUE(crypto.bodies.empty());

    std::filesystem::create_directories(temp.file("opt"));
    EncryptOptionRules dialog(false);
    dialog.manageLogs = false;
    dialog.outputFolder = temp.file("opt");
    chooser.optionsAnswer = dialog;
    const auto outcome = encrypt(files({"a.txt"}), request);
    EXPECT_EQ(outcome.containers, std::vector<std::string>{temp.file("opt/a.txt.klx")});
    EXPECT_EQ(crypto.tails.back().optionWord, 0u);
}

// History

TEST_F(EncryptBatchTest, WithoutTheCreatorAmongDestinationsNoRemovesThePartialOutputSecurely)
{
    write("a.txt", "a");
    write("b.txt", "b");
    studio.AddToStudio(temp.file("a.txt"));
    chooser.choices->destinations = {partnerKey};
    const auto outcome = encrypt(files({"a.txt", "b.txt"}));
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(ui.textsOf(Kind::YesNo), std::vector<std::string>{text(Msg::CreatorNotInDestinations)});
    // The partial output is still under its temporary name beside the plain file.
    ASSERT_EQ(shredded.size(), 1u);
    EXPECT_EQ(shredded[0].rfind(temp.file(".~b.txt.klx."), 0), 0u) << shredded[0];
    EXPECT_FALSE(exists(temp.file("b.txt.klx")));
    EXPECT_TRUE(crypto.tails.empty());
    EXPECT_TRUE(studio.empty());
    EXPECT_TRUE(work.empty());
}

TEST_F(EncryptBatchTest, YesDropsTheHistoryForTheRestOfTheBatchAfterOneQuestion)
{
    write("a.txt", "a");
    write("b.txt", "b");
    chooser.choices->destinations = {partnerKey};
    ui.answerYesNo(true);
    const auto outcome = encrypt(files({"a.txt", "b.txt"}));
    EXPECT_EQ(outcome.containers.size(), 2u);
    EXPECT_EQ(ui.count(Kind::YesNo), 1u);
    for (const auto& tail : crypto.tails)
        EXPECT_EQ(tail.optionWord, 0u);
}

TEST_F(EncryptBatchTest, TheCreatorsKeyGoesFirstAndEveryRecipientGetsAHistoryName)
{
    write("a.txt", "a");
    chooser.choices->destinations = {partnerKey, context.keys.selfAuthKeyFile};
    encrypt(files({"a.txt"}));
    EXPECT_EQ(crypto.tails.back().recipients, (std::vector<std::string>{context.keys.selfAuthKeyFile, partnerKey}));
    ASSERT_EQ(crypto.historyNames.size(), 2u);
    EXPECT_EQ(crypto.historyNames[0].userName, "Me");
    EXPECT_EQ(crypto.historyNames[1].mail, "pat@example.org");
}

// Failures

TEST_F(EncryptBatchTest, WhileAContainerIsWrittenItsNameStillHoldsTheOlderOneAndNothingIsLeftAfterwards)
{
    // 254 bytes of container name: the temporary name must still fit one name's limit.
    const std::string name = std::string(246, 'n') + ".txt";
    write(name, "new");
    const std::string older = write(name + ".klx", "older");
    std::vector<std::string> underTheName;
    crypto.midWrite = [&] { underTheName.push_back(read(older)); };
    ui.answerYesNo(true);  // overwrite
    const auto outcome = encrypt(files({name}), kind(kKindForOneself));
    EXPECT_TRUE(outcome.completed);
    EXPECT_EQ(underTheName, std::vector<std::string>{"older"});  // an interruption here loses nothing
    EXPECT_EQ(RecordingFileCrypto::plainOf(older), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 3);  // keys, plain, container
}

TEST_F(EncryptBatchTest, AFifoIsRefusedByNameInsteadOfBeingRead)
{
    write("a.txt", "a");
    const std::string fifo = temp.file("pipe.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto outcome = encrypt(files({"pipe.txt", "a.txt"}), kind(kKindForOneself));
    EXPECT_EQ(outcome.containers, files({"a.txt.klx"}));
    EXPECT_EQ(messages().front(), fifo + " is not a regular file and was left alone.");
    EXPECT_FALSE(exists(fifo + ".klx"));
}

TEST_F(EncryptBatchTest, AFailedFileEndsTheBatchLeavesNoPartialContainerAndKeepsAnOlderOne)
{
    write("a.txt", "a");
    write("b.txt", "b");
    write("c.txt", "c");
    const std::string older = write("b.txt.klx", "older");
    crypto.failTail.insert(temp.file("b.txt"));
    context.settings.deleteCheck1 = true;
    ui.answerContinue(0);  // overwrite b.txt.klx
    const auto outcome = encrypt(files({"a.txt", "b.txt", "c.txt"}), kind(kKindForOneself));
    EXPECT_FALSE(outcome.completed);
    EXPECT_EQ(read(older), "older");
    EXPECT_FALSE(exists(temp.file("a.txt.klx")));
    EXPECT_TRUE(exists(temp.file("c.txt.klx")));
    // The plain files stay: deletion happens only after a batch that went through.
    EXPECT_TRUE(exists(temp.file("c.txt")));
    EXPECT_TRUE(shredded.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 6);  // keys + 3 plain + 2 containers
}

TEST_F(EncryptBatchTest, AFailedBodyLeavesNoOutput)
{
    write("a.txt", "aaaa");
    crypto.failBody.insert(temp.file("a.txt"));
    encrypt(files({"a.txt"}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp.path()), {}), 2);  // keys + a.txt
    EXPECT_TRUE(crypto.tails.empty());
}

// After the batch

TEST_F(EncryptBatchTest, PlainFilesAreDeletedAfterOneQuestion)
{
    write("a.txt", "a");
    write("b.txt", "b");
    context.settings.deleteCheck1 = true;
    ui.answerYesNo(true);
    const auto outcome = encrypt(files({"a.txt", "b.txt"}), kind(kKindForOneself));
    EXPECT_EQ(ui.textsOf(Kind::YesNo),
              std::vector<std::string>{"It tries to delete the file of 2 piece encrypted completely. \n Do you delete it ?"});
    EXPECT_EQ(outcome.deletedPlainFiles, files({"a.txt", "b.txt"}));
    EXPECT_FALSE(exists(temp.file("a.txt")));
    EXPECT_TRUE(exists(temp.file("a.txt.klx")));
}

TEST_F(EncryptBatchTest, APlainFileSharingItsContentWithAnotherNameIsNotOverwrittenAfterEncryption)
{
    context.secureDelete = [](const std::string& path) { return SecureDelete(path); };
    const std::string plain = write("a.txt", "the outside file's words");
    const std::string outside = temp.file("outside.txt");
    ASSERT_EQ(::link(plain.c_str(), outside.c_str()), 0);
    context.settings.deleteCheck1 = true;
    ui.answerYesNo(true);
    const auto outcome = encrypt({plain}, kind(kKindForOneself));
    EXPECT_EQ(outcome.deletedPlainFiles, std::vector<std::string>{plain});
    EXPECT_FALSE(exists(plain));
    EXPECT_EQ(read(outside), "the outside file's words");
    const auto shown = messages();
    EXPECT_NE(std::find(shown.begin(), shown.end(), messenger.format(Msg::SharedContentNotOverwritten, plain)),
              shown.end());
}

TEST_F(EncryptBatchTest, AKilledRunsPartialOutputsGoWhenABatchWritesToTheirFolderAgain)
{
    const pid_t ended = endedProcessId();
    const std::string stale = write("out/" + temporaryNameOf("a.txt.klx", ended), "partial container");
    const std::string staleElsewhere = write("other/" + temporaryNameOf("b.txt.klx", ended), "partial");
    const std::string running = write("out/" + temporaryNameOf("c.txt.klx", ::getpid()), "being written");
    context.settings.destPath1 = temp.file("out/");
    encrypt({write("a.txt", "a")}, kind(kKindForOneself));
    EXPECT_TRUE(exists(temp.file("out/a.txt.klx")));
    EXPECT_FALSE(exists(stale));
    EXPECT_TRUE(exists(staleElsewhere));
    EXPECT_TRUE(exists(running));
}

TEST_F(EncryptBatchTest, NoKeepsThePlainFilesAndAFailedDeletionIsReported)
{
    write("a.txt", "a");
    const std::string locked = write("b.txt", "b");
    context.settings.deleteCheck1 = true;
    encrypt(files({"a.txt", "b.txt"}), kind(kKindForOneself));
    EXPECT_TRUE(shredded.empty());
    makeReadOnly(locked);
    ui.clear();
    ui.answerContinue(1);
    ui.answerYesNo(true);
    encrypt(files({"a.txt", "b.txt"}), kind(kKindForOneself));
    const auto shown = messages();
    EXPECT_NE(std::find(shown.begin(), shown.end(), "It failed in the deletion of " + locked + ". "), shown.end());
    EXPECT_TRUE(exists(locked));
    EXPECT_FALSE(exists(temp.file("a.txt")));
}

TEST_F(EncryptBatchTest, OneMailCarriesEveryContainerToTheDestinationsAddresses)
{
    write("a.txt", "a");
    write("b.txt", "b");
    EncryptRequest request = kind(kKindMainWindow);
    request.destinations = {context.keys.selfAuthKeyFile, partnerKey, plainKey};
    request.attachToMail = true;
    encrypt(files({"a.txt", "b.txt"}), request);
    ASSERT_EQ(mailer.mails.size(), 1u);
    const MailMessage& mail = mailer.mails.front();
    EXPECT_EQ(mail.subject, "Forwarding encrypted files");
    EXPECT_EQ(mail.body, "Files are attached.\na.txt.klx\nb.txt.klx\n");
    EXPECT_EQ(mail.recipients, (std::vector<std::string>{"me@example.org", "pat@example.org"}));
    EXPECT_EQ(mail.attachments, files({"a.txt.klx", "b.txt.klx"}));
}

TEST_F(EncryptBatchTest, TheSilentKindAsksNothingShowsNoSummaryAndAttachesTheSendersKey)
{
    write("a.txt", "a");
    write("a.txt.klx", "old");
    EncryptRequest request = kind(kKindSilent, false);
    request.destinations = {partnerKey};
    const auto outcome = encrypt(files({"a.txt"}), request);
    EXPECT_EQ(outcome.containers.size(), 1u);
    EXPECT_TRUE(ui.shown().empty());
    EXPECT_EQ(progress.range, -1);
    EXPECT_EQ(crypto.tails.back().optionWord, 4u);
    EXPECT_EQ(crypto.tails.back().mode, kKindSilent);
    EXPECT_EQ(mailer.mails.size(), 1u);
}

} // namespace
} // namespace mvx::test

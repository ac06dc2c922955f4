#include "../keys/KeysTestSupport.h"

#include "app/Msg.h"
#include "engine/FileDecryptor.h"
#include "engine/FileEncryptor.h"
#include "keys/DestinationListEditor.h"
#include "keys/MemberRecords.h"
#include "workbench/CreatorAuthentication.h"
#include "workbench/ForwardFile.h"
#include "workbench/HistoryViewer.h"
#include "workbench/OpenInPlace.h"

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>

using namespace mvx;
using namespace mvx::test;
namespace fs = std::filesystem;

namespace {

using Kind = ScriptedInteraction::Kind;
constexpr int64_t kMorning = 1772431200;

std::string textOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A launcher that runs a step of the test instead of a program.
class FakeLauncher : public IAppLauncher {
public:
    std::function<void(const std::string&)> whileOpen = [](const std::string&) {};
    bool running = false;
    bool associated = true;
    std::vector<std::string> opened;
    std::vector<unsigned> folderModes;

    std::optional<Program> programFor(const std::string&) override
    {
        return associated ? std::optional<Program>(Program{{"editor", "%f"}, "editor"}) : std::nullopt;
    }
    bool isRunning(const Program&) override { return running; }
    bool runAndWait(const Program&, const std::string& file) override
    {
        opened.push_back(file);
        struct stat st {};
        ::stat(fs::path(file).parent_path().c_str(), &st);
        folderModes.push_back(st.st_mode & 0777);
        whileOpen(file);
        return true;
    }
};

class RecordingMail : public IMailHandOver {
public:
    std::vector<MailDraft> sent;
    bool send(const MailDraft& draft) override
    {
        sent.push_back(draft);
        return true;
    }
};

class HistoryFlowsTest : public KeysTest {
protected:
    void SetUp() override
    {
        Clock::setFixed(kMorning);
        alice = makeUser("reader", "alice", "Alice");
        bob = makeUser("sender", "bob", "Bob");
        work = folder.path() + "work/";
        fs::create_directories(work);
        aliceSelf = selfKey(alice);
        bobSelf = selfKey(bob);
    }

    std::string selfKey(const TestUser& user)
    {
        KeyAuthenticator::Identity identity{user.publicKey(), user.privateKey(), user.userName, user.mail,
                                            user.keyFolder, {}};
        KeyAuthenticator authenticator(messenger, identity, {});
        const std::string copy = user.keyFolder + user.name + ".kpub";
        fs::copy_file(user.publicKey(), copy);
        const std::string made = authenticator.authenticate({copy}, true, true);
        fs::remove(copy);
        return made;
    }

    // A container of text made by sender for the recipients' key files.
    std::string makeContainer(const TestUser& sender, const std::vector<std::string>& recipients,
                              const std::vector<CArchiveHistoryMan::NameEntry>& names, uint32_t optionWord,
                              const std::string& name = "report.txt", const std::string& text = "first draft")
    {
        const std::string plain = work + name;
        writeWholeFile(plain, text.data(), text.size());
        FileEncryptor encryptor(messenger);
        encryptor.setSender({sender.publicKey(), sender.privateKey(), sender.userName, sender.mail, 0});
        encryptor.setRecipients(recipients);
        encryptor.setOptionWord(optionWord);
        encryptor.setHistoryNames(names);
        encryptor.resetContentKey();
        const std::string container = plain + ".klx";
        EXPECT_EQ(encryptor.encryptBody(plain, container, 0), 1);
        EXPECT_EQ(encryptor.writeContainerTail(container, plain, kKindMainWindow), 1);
        fs::remove(plain);
        return container;
    }

    std::string aliceContainer(const std::string& name = "report.txt")
    {
        return makeContainer(alice, {aliceSelf}, {{"Alice", "alice@example.org"}}, kOptionHistory, name);
    }

    HistoryViewer viewer(ContainerChooser selector = {})
    {
        return HistoryViewer(messenger, alice.publicKey(), alice.privateKey(), std::move(selector));
    }

    std::vector<std::string> operations(const std::string& container)
    {
        std::vector<std::string> ops;
        if (const auto view = viewer().viewOf(container))
            for (const auto& row : view->rows)
                ops.push_back(row.operation);
        return ops;
    }

    int openInPlace(const std::string& container, FakeLauncher& launcher)
    {
        FileDecryptor decryptor(messenger, alice.publicKey(), alice.privateKey());
        OpenInPlace opener(messenger, decryptor, launcher);
        return opener.open(container);
    }

    std::string decrypt(const std::string& container)
    {
        FileDecryptor decryptor(messenger, alice.publicKey(), alice.privateKey());
        std::string name;
        EXPECT_GE(decryptor.openContainer(container, name, FileDecryptor::kPurposeDecrypt, true), 1);
        const std::string out = work + "out-" + name;
        EXPECT_EQ(decryptor.decryptBody(container, out), 1);
        return textOf(out);
    }

    static uint32_t historyUnits(const std::string& container)
    {
        const auto bytes = readWholeFile(container).value();
        return ContainerTrailer::fromBytes(bytes.data() + bytes.size() - ContainerTrailer::kSize).historyUnits();
    }

    TestUser alice, bob;
    std::string work, aliceSelf, bobSelf;
};

} // namespace

TEST_F(HistoryFlowsTest, AContainerForTheSenderAloneHasOneNameAndOneCreationEvent)
{
    const std::string container = aliceContainer();
    EXPECT_EQ(historyUnits(container), 1u);
    const auto view = viewer().run({container});
    ASSERT_TRUE(view);
    EXPECT_EQ(view->fileName, "report.txt.klx");
    EXPECT_EQ(view->folder, work);
    ASSERT_EQ(view->rows.size(), 1u);
    const SystemTime t = SystemTime::fromUnix(kMorning);
    char date[64];
    std::snprintf(date, sizeof date, "%d/%d/%d %02d:%02d", t.year, t.month, t.day, t.hour, t.minute);
    EXPECT_EQ(view->rows[0].date, date);
    EXPECT_EQ(view->rows[0].operation, "新規作成");
    EXPECT_EQ(view->rows[0].userName, "Alice");
    EXPECT_EQ(view->rows[0].mail, "alice@example.org");
}

TEST_F(HistoryFlowsTest, OpenInPlaceUnchangedIsViewedChangedIsUpdatedAndDecryptsAfterwards)
{
    const std::string container = aliceContainer();
    FakeLauncher launcher;
    EXPECT_EQ(openInPlace(container, launcher), OpenInPlace::kViewed);
    EXPECT_EQ(operations(container), (std::vector<std::string>{"新規作成", "閲覧"}));

    launcher.whileOpen = [](const std::string& file) {
        fs::copy_file(file, file + "~");  // an editor's backup beside the file
        std::ofstream(file, std::ios::trunc) << "second draft, rather longer than the first one";
    };
    EXPECT_EQ(openInPlace(container, launcher), OpenInPlace::kUpdated);
    EXPECT_EQ(operations(container), (std::vector<std::string>{"新規作成", "閲覧", "更新"}));

    ASSERT_EQ(launcher.opened.size(), 2u);
    EXPECT_EQ(fs::path(launcher.opened[0]).filename(), "report.txt");
    for (const auto& file : launcher.opened)
        EXPECT_FALSE(fs::exists(fs::path(file).parent_path())) << file;
    EXPECT_EQ(launcher.folderModes, (std::vector<unsigned>{0700, 0700}));

    EXPECT_EQ(decrypt(container), "second draft, rather longer than the first one");
    EXPECT_EQ(operations(container), (std::vector<std::string>{"新規作成", "閲覧", "更新", "復号"}));
}

TEST_F(HistoryFlowsTest, ChangedContainerWithTheSendersKeyAttachedKeepsNamesAndKey)
{
    const std::string container =
        makeContainer(bob, {work + "../alice/alice.kpub", bobSelf},
                      {{"Alice", "alice@example.org"}, {"Bob", "bob@example.org"}}, kOptionHistory | kOptionAttachSender);
    const auto carried = CreatorAuthentication::carriedPublicKey(container);
    FakeLauncher launcher;
    launcher.whileOpen = [](const std::string& file) { std::ofstream(file, std::ios::trunc) << "x"; };
    EXPECT_EQ(openInPlace(container, launcher), OpenInPlace::kUpdated);
    EXPECT_EQ(CreatorAuthentication::carriedPublicKey(container), carried);

    FileDecryptor decryptor(messenger, alice.publicKey(), alice.privateKey());
    std::string name;
    ASSERT_EQ(decryptor.openContainer(container, name, FileDecryptor::kPurposeDecrypt, true), 1);
    ASSERT_EQ(decryptor.decryptBody(container, work + "out.txt"), 1);
    EXPECT_EQ(textOf(work + "out.txt"), "x");
    EXPECT_EQ(decryptor.senderName(), "Bob");
    EXPECT_EQ(decryptor.senderMail(), "bob@example.org");
    // Alice's record is the first: her events carry her name.
    const auto view = viewer().viewOf(container);
    ASSERT_TRUE(view);
    EXPECT_EQ(view->rows.back().operation, "復号");
    EXPECT_EQ(view->rows.back().userName, "Alice");
}

TEST_F(HistoryFlowsTest, ARunningProgramIsRefusedAndNothingChanges)
{
    const std::string container = aliceContainer();
    const auto before = bytesOf(container);
    FakeLauncher launcher;
    launcher.running = true;
    EXPECT_EQ(openInPlace(container, launcher), OpenInPlace::kNotOpened);
    EXPECT_EQ(ui.last().text, "The MORVANEX application has already started.\nPlease try again after closing MORVANEX process.");
    EXPECT_TRUE(launcher.opened.empty());
    EXPECT_EQ(bytesOf(container), before);
    EXPECT_TRUE(fs::is_empty(work) || fs::directory_iterator(work)->path() == container);
}

TEST_F(HistoryFlowsTest, EventsThatOutgrowTheBlockAddAUnitOf256Bytes)
{
    const std::string container = aliceContainer();
    FakeLauncher launcher;
    // 1 name and 6 events: 8 + 80 + 150 = 238 bytes; the seventh event makes 263.
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(openInPlace(container, launcher), OpenInPlace::kViewed);
    EXPECT_EQ(historyUnits(container), 1u);
    const auto size = fs::file_size(container);
    ASSERT_EQ(openInPlace(container, launcher), OpenInPlace::kViewed);
    EXPECT_EQ(historyUnits(container), 2u);
    EXPECT_EQ(fs::file_size(container), size + 256);
    EXPECT_EQ(operations(container).size(), 7u);
    EXPECT_EQ(decrypt(container), "first draft");
}

TEST_F(HistoryFlowsTest, TwoContainersOpenTheSelectorOneGoesStraightToTheViewer)
{
    const std::string first = aliceContainer("a.txt");
    const std::string second = aliceContainer("b.txt");
    const std::string plain = work + "plain.txt";
    writeWholeFile(plain, "p", 1);
    std::vector<std::vector<ContainerRow>> offered;
    int calls = 0;
    auto selector = [&](const std::vector<ContainerRow>& rows) {
        offered.push_back(rows);
        ++calls;
        return calls == 1 ? ContainerChoice{true, std::nullopt} : ContainerChoice{true, 1};
    };
    const auto view = viewer(selector).run({first, plain, second});
    ASSERT_TRUE(view);
    EXPECT_EQ(view->fileName, "b.txt.klx");
    ASSERT_EQ(offered.size(), 2u);
    ASSERT_EQ(offered[0].size(), 2u);
    EXPECT_EQ(offered[0][0].fileName, "a.txt.klx");
    EXPECT_EQ(ui.textsOf(Kind::Message), std::vector<std::string>{"Not select The KLX File that can show logs."});

    calls = 0;
    offered.clear();
    EXPECT_TRUE(viewer(selector).run({plain, first}));
    EXPECT_TRUE(offered.empty());
}

TEST_F(HistoryFlowsTest, ViewerRefusals)
{
    EXPECT_FALSE(viewer().run({}));
    EXPECT_EQ(ui.last().text, "No file selected.");
    EXPECT_EQ(ui.count(Kind::Status), 1u);

    const std::string without = makeContainer(alice, {aliceSelf}, {}, 0, "plainlog.txt");
    EXPECT_FALSE(viewer().run({without}));
    EXPECT_EQ(ui.last().text, "You cannot see the logs of the selected files because they are not.");

    const std::string bobs = makeContainer(bob, {bobSelf}, {{"Bob", "bob@example.org"}}, kOptionHistory, "bob.txt");
    EXPECT_FALSE(viewer().run({bobs}));
    EXPECT_EQ(ui.last().text, "復号権限がないKLXファイルの為、履歴表示ができません。");
}

TEST_F(HistoryFlowsTest, ForwardingMailsThePickedRecordedAddressesWithTheContainer)
{
    const std::string container =
        makeContainer(alice, {aliceSelf, work + "../bob/bob.kpub"},
                      {{"Alice", "alice@example.org"}, {"Bob", "bob@example.org"}}, kOptionHistory | kOptionAttachSender);
    RecordingMail mail;
    int containerCalls = 0;
    std::vector<std::string> offeredNames;
    int addressCalls = 0;
    ForwardFile forward(
        messenger, alice.publicKey(), alice.privateKey(),
        [&](const std::vector<ContainerRow>& rows) {
            EXPECT_EQ(rows.size(), 1u);
            return ++containerCalls == 1 ? ContainerChoice{true, std::nullopt} : ContainerChoice{true, 0};
        },
        [&](const std::vector<CArchiveHistoryMan::NameEntry>& names) -> std::optional<std::vector<size_t>> {
            for (const auto& n : names)
                offeredNames.push_back(n.userName + " " + n.mail);
            return ++addressCalls == 1 ? std::vector<size_t>{} : std::vector<size_t>{1};
        },
        mail);
    const auto before = bytesOf(container);
    ASSERT_TRUE(viewer().run({container}));
    ASSERT_TRUE(forward.run({work + "notes.txt", container}));
    EXPECT_EQ(bytesOf(container), before);
    EXPECT_EQ(ui.textsOf(Kind::Message),
              (std::vector<std::string>{"The KLX file has not been selected. ",
                                        "The address is not set. Please select the address. "}));
    EXPECT_EQ(offeredNames[0], "Alice alice@example.org");
    EXPECT_EQ(offeredNames[1], "Bob bob@example.org");
    ASSERT_EQ(mail.sent.size(), 1u);
    EXPECT_EQ(mail.sent[0].to, std::vector<std::string>{"bob@example.org"});
    EXPECT_EQ(mail.sent[0].attachments, std::vector<std::string>{container});
    EXPECT_EQ(mail.sent[0].subject, "Forwarding encrypted files");
    EXPECT_EQ(mail.sent[0].body, "The following files are forwarding.\nreport.txt.klx");
}

TEST_F(HistoryFlowsTest, ForwardingRefusesContainersWithoutHistoryAndCancelSendsNothing)
{
    RecordingMail mail;
    const std::string without = makeContainer(alice, {aliceSelf}, {}, 0, "x.txt");
    auto pickFirst = [](const std::vector<ContainerRow>&) { return ContainerChoice{true, 0}; };
    auto cancel = [](const std::vector<CArchiveHistoryMan::NameEntry>&) -> std::optional<std::vector<size_t>> {
        return std::nullopt;
    };
    ForwardFile forward(messenger, alice.publicKey(), alice.privateKey(), pickFirst, cancel, mail);
    EXPECT_FALSE(forward.run({without}));
    EXPECT_EQ(ui.last().text,
              "It is KLX file that can display the record or because it is not KLX file, the record cannot be displayed. ");
    EXPECT_FALSE(forward.run({aliceContainer()}));
    EXPECT_FALSE(forward.run({work + "gone.klx"}));
    EXPECT_EQ(ui.last().text, "This file type is not KLX file or broken.");
    EXPECT_TRUE(mail.sent.empty());
}

TEST(DesktopLauncherTest, ExecLinesBecomeCommands)
{
    EXPECT_EQ(DesktopLauncher::commandOfExec("gedit %U"), (std::vector<std::string>{"gedit", "%f"}));
    EXPECT_EQ(DesktopLauncher::commandOfExec("\"/opt/My App/app\" --new %i %f"),
              (std::vector<std::string>{"/opt/My App/app", "--new", "%f"}));
    EXPECT_EQ(DesktopLauncher::commandOfExec("viewer --percent=100%%"),
              (std::vector<std::string>{"viewer", "--percent=100%", "%f"}));
}

TEST_F(HistoryFlowsTest, TheDesktopsDefaultApplicationIsFoundThroughItsDesktopFile)
{
    const std::string config = folder.path() + "config/";
    const std::string data = folder.path() + "data/";
    fs::create_directories(config);
    fs::create_directories(data + "applications");
    const std::string defaults = "[Default Applications]\ntext/plain=mvx-viewer.desktop\n";
    writeWholeFile(config + "mimeapps.list", defaults.data(), defaults.size());
    const std::string entry = "[Desktop Entry]\nType=Application\nName=Viewer\nExec=/bin/true --view %f\n"
                              "MimeType=text/plain;\n";
    writeWholeFile(data + "applications/mvx-viewer.desktop", entry.data(), entry.size());
    const std::string note = work + "note.txt";
    writeWholeFile(note, "plain words\n", 12);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("XDG_DATA_HOME", data.c_str(), 1);
    ::unsetenv("MORVANEX_OPENER");
    DesktopLauncher launcher;
    const auto program = launcher.programFor(note);
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
    ASSERT_TRUE(program);
    EXPECT_EQ(program->command, (std::vector<std::string>{"/bin/true", "--view", "%f"}));
    EXPECT_EQ(program->processName, "true");
    EXPECT_TRUE(launcher.runAndWait(*program, note));
    EXPECT_FALSE(launcher.runAndWait({{"/no/such/program", "%f"}, "program"}, note));
}

TEST_F(HistoryFlowsTest, TheLauncherFollowsTheUsersDefaultsAndFallsBackToTheApplicationCache)
{
    const std::string config = folder.path() + "config/";
    const std::string apps = folder.path() + "data/applications/";
    fs::create_directories(config);
    fs::create_directories(apps + "vendor");
    auto entry = [&](const std::string& path, const std::string& exec) {
        const std::string text = "[Desktop Entry]\nType=Application\nName=X\nExec=" + exec + "\n";
        writeWholeFile(path, text.data(), text.size());
    };
    entry(apps + "vendor/viewer.desktop", "/bin/echo cached");
    entry(apps + "mvx-editor.desktop", "/bin/echo chosen %U");
    const std::string cache = "[MIME Cache]\ntext/plain=missing.desktop;vendor-viewer.desktop;\n";
    writeWholeFile(apps + "mimeinfo.cache", cache.data(), cache.size());
    const std::string note = work + "note.txt";
    writeWholeFile(note, "plain words\n", 12);
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
    ::setenv("XDG_DATA_HOME", (folder.path() + "data").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (folder.path() + "none").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (folder.path() + "none").c_str(), 1);
    ::unsetenv("MORVANEX_OPENER");
    DesktopLauncher launcher;
    const auto cached = launcher.programFor(note);
    // The user picks another default while the launcher lives.
    const std::string defaults = "[Added Associations]\ntext/plain=other.desktop\n"
                                 "[Default Applications]\ntext/plain=mvx-editor.desktop\n";
    writeWholeFile(config + "mimeapps.list", defaults.data(), defaults.size());
    const auto chosen = launcher.programFor(note);
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS"})
        ::unsetenv(name);
    ASSERT_TRUE(cached);
    EXPECT_EQ(cached->command, (std::vector<std::string>{"/bin/echo", "cached", "%f"}));
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->command, (std::vector<std::string>{"/bin/echo", "chosen", "%f"}));
}

TEST_F(HistoryFlowsTest, TheOpenerNamedInTheEnvironmentEditsTheFile)
{
    const std::string script = folder.path() + "history-opener.sh";
    const std::string text = "#!/bin/sh\nprintf ' and more' >> \"$1\"\n";
    writeWholeFile(script, text.data(), text.size(), 0755);
    ::setenv("MORVANEX_OPENER", script.c_str(), 1);
    const std::string container = aliceContainer();
    DesktopLauncher launcher;
    FileDecryptor decryptor(messenger, alice.publicKey(), alice.privateKey());
    OpenInPlace opener(messenger, decryptor, launcher);
    EXPECT_EQ(opener.open(container), OpenInPlace::kUpdated);
    ::unsetenv("MORVANEX_OPENER");
    EXPECT_EQ(decrypt(container), "first draft and more");
}

namespace {

// Bob encrypts for Alice's plain public key with his key attached; Alice does not know him.
class CreatorAuthenticationTest : public HistoryFlowsTest {
protected:
    void SetUp() override
    {
        HistoryFlowsTest::SetUp();
        useKeySetOf(keys, alice);
        container = makeContainer(bob, {alice.publicKey()}, {}, kOptionAttachSender, "from-bob.txt");
        plain = work + "from-bob.txt";
        writeWholeFile(plain, "hi", 2);
    }

    CreatorAuthentication flow(FakeLauncher& launcher)
    {
        return CreatorAuthentication(messenger, launcher, keys, list, [this](const std::string& keyFile) {
            KeyAuthenticator::Identity identity{alice.publicKey(), alice.privateKey(), "Alice", alice.mail,
                                                alice.keyFolder, {}};
            return KeyAuthenticator(messenger, identity, {}).authenticate({keyFile}, true, true);
        });
    }

    CKeyManager keys{messenger};
    DestinationListEditor list{messenger, keys, {}};
    std::string container, plain;
};

} // namespace

TEST_F(CreatorAuthenticationTest, YesAuthenticatesAndRegistersTheCarriedKey)
{
    FakeLauncher launcher;
    ui.answerYesNo(true);
    flow(launcher).afterDecryption({1, container, plain, "Bob", "bob@example.org"});
    EXPECT_EQ(launcher.opened, std::vector<std::string>{plain});
    EXPECT_FALSE(fs::exists(plain));  // kind 1 destroys the plain file
    EXPECT_EQ(ui.textsOf(Kind::YesNo),
              std::vector<std::string>{"Bob(bob@example.org)'s log is Encrypted file.\nDo you authenicate this file creater?"});
    EXPECT_EQ(bytesOf(alice.keyFolder + "Bob.kpub"), bytesOf(bob.publicKey()));
    EXPECT_EQ(fs::file_size(alice.keyFolder + "Bob))alice-auth.kpub"), 284u);
    const auto record = MemberRecords::find(alice.keyFolder, "Bob.kpub");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->displayName, "Bob");
    EXPECT_EQ(record->mail, "bob@example.org");
}

TEST_F(CreatorAuthenticationTest, NoKeepsThePlainFileOutsideKindOneAndRegistersNothing)
{
    FakeLauncher launcher;
    flow(launcher).afterDecryption({0, container, plain, "Bob", "bob@example.org"});
    EXPECT_TRUE(fs::exists(plain));
    EXPECT_FALSE(fs::exists(alice.keyFolder + "Bob.kpub"));

    launcher.associated = false;
    ui.clear();
    flow(launcher).afterDecryption({0, container, plain, "Bob", "bob@example.org"});
    EXPECT_EQ(ui.count(Kind::YesNo), 0u);
}

TEST_F(CreatorAuthenticationTest, AKeyFragmentRegistersWithoutTheQuestion)
{
    FakeLauncher launcher;
    flow(launcher).afterDecryption({0, container, work + "part_USER.KBKY", "Bob", "bob@example.org"});
    EXPECT_TRUE(launcher.opened.empty());
    EXPECT_EQ(ui.count(Kind::YesNo), 0u);
    EXPECT_TRUE(MemberRecords::find(alice.keyFolder, "Bob.kpub"));
}

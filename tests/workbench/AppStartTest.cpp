#include "app/Msg.h"
#include "app/ContextMenuEntries.h"
#include "app/IClipboardText.h"
#include "app/SingleInstance.h"
#include "workbench/AppSession.h"
#include "workbench/CTessaryApp.h"
#include "workbench/IAppFrame.h"
#include "workbench/OptionsApply.h"
#include "platform/MountPoller.h"

#include "ScriptedInteraction.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>

namespace mvx::test {
namespace {

namespace fs = std::filesystem;

struct RecordingFrame : IAppFrame {
    void offerKeySetWizard() override { calls.push_back("wizard"); }
    void locateMovedKeySet() override { calls.push_back("moved"); }
    void reportOutdatedKeys() override { calls.push_back("outdated"); }
    void showMainWindow() override { calls.push_back("main"); }
    void showMiniWindow() override { calls.push_back("mini"); }
    void bringToFront() override { calls.push_back("front"); }
    void addToStudio(const std::vector<std::string>& paths) override
    {
        studio.insert(studio.end(), paths.begin(), paths.end());
    }
    bool serveShellRequest(CommandLine::Switch kind, const std::vector<std::string>& paths) override
    {
        requests.emplace_back(kind, paths);
        return true;
    }
    std::vector<std::string> calls;
    std::vector<std::string> studio;
    std::vector<std::pair<CommandLine::Switch, std::vector<std::string>>> requests;
};

struct FakeClipboard : IClipboardText {
    std::optional<std::string> text(Failure& failure) override
    {
        failure = content ? Failure::None : failing;
        return content;
    }
    void clear() override { content.reset(); }
    std::optional<std::string> content;
    Failure failing = Failure::NoText;
};

class AppStartTest : public ::testing::Test {
protected:
    AppStartTest() { restart(); }

    void restart()
    {
        session.reset();
        session = std::make_unique<AppSession>(ui, temp.file("home"), "en");
    }
    void makeKeySetWithProtectedFolder()
    {
        session->makeKeySet({temp.file("keys/"), "me", "Me", "me@example.org"});
        session->settings().encAndDec = 1;
        session->settings().destPath2 = temp.file("vault/");
        session->settings().firstStart = 0;
        session->saveSettings();
        restart();
        ui.clear();
    }
    std::string write(const std::string& name, const std::string& content) const
    {
        const std::string path = temp.file(name);
        fs::create_directories(fs::path(path).parent_path());
        std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
        return path;
    }
    // Every file below the folder, by its path inside it, with its bytes.
    std::map<std::string, std::string> filesIn(const std::string& folder) const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(temp.file(folder))) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            files[fs::relative(entry.path(), temp.file(folder)).string()] = bytes.str();
        }
        return files;
    }
    std::string text(int slot) const { return session->messenger().text(slot); }
    bool start(const std::vector<std::string>& arguments)
    {
        SingleInstance instance(temp.file("home"));
        CTessaryApp app(*session, frame, temp.file("data"));
        return app.start(CommandLine::parse(arguments), instance, clipboard);
    }

    FakeClipboard clipboard;

    TempFolder temp;
    ScriptedInteraction ui;
    std::unique_ptr<AppSession> session;
    RecordingFrame frame;
};

std::string randomBytes(size_t size)
{
    std::mt19937 random(7);
    std::string bytes(size, '\0');
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

TEST_F(AppStartTest, TheProtectedFolderHoldsOnlyContainersAfterExitAndTheSamePlainBytesAfterTheNextStart)
{
    makeKeySetWithProtectedFolder();
    write("vault/notes.txt", "alpha beta");
    write("vault/sub/deep/photo.bin", randomBytes(3 * 1024 * 1024 + 17));
    write("vault/other/notes.txt", "another file of the same name");
    write("vault/empty", "");
    const auto plain = filesIn("vault");

    {
        CTessaryApp app(*session, frame, temp.file("data"));
        app.startUp(false);
        // The key files are out of reach at exit (a removed USB key, say):
        // the material read at start still encrypts the folder.
        fs::rename(temp.file("keys"), temp.file("keys-away"));
        app.shutDown(false);
    }
    const auto closed = filesIn("vault");
    ASSERT_EQ(closed.size(), plain.size());
    for (const auto& [name, bytes] : closed) {
        EXPECT_TRUE(name.size() > 4 && name.substr(name.size() - 4) == ".klx") << name;
        EXPECT_EQ(bytes.find("alpha beta"), std::string::npos) << name;
    }
    EXPECT_TRUE(ui.textsOf(ScriptedInteraction::Kind::Message).empty());

    fs::rename(temp.file("keys-away"), temp.file("keys"));
    restart();
    CTessaryApp next(*session, frame, temp.file("data"));
    next.startUp(false);
    EXPECT_EQ(filesIn("vault"), plain);
    EXPECT_TRUE(ui.textsOf(ScriptedInteraction::Kind::Message).empty());
}

TEST_F(AppStartTest, AFolderThatCouldNotBeClosedAgainIsNeitherOpenedNorLeftPlainSilently)
{
    makeKeySetWithProtectedFolder();
    write("vault/a.txt", "a");
    {
        CTessaryApp app(*session, frame, temp.file("data"));
        app.startUp(false);
        app.shutDown(false);
    }
    // The self-authentication key is gone: the folder could not be encrypted
    // at the next exit, so it is not decrypted at this start.
    fs::remove(session->keys().keyFolder() + "me))me-auth.kpub");
    restart();
    CTessaryApp app(*session, frame, temp.file("data"));
    app.startUp(false);
    EXPECT_EQ(filesIn("vault").count("a.txt.klx"), 1u);
    EXPECT_EQ(ui.textsOf(ScriptedInteraction::Kind::Message),
              std::vector<std::string>{session->messenger().format(Msg::ProtectedFolderKeptEncrypted,
                                                                   temp.file("vault/").c_str())});

    ui.clear();
    write("vault/b.txt", "b");
    app.shutDown(false);
    EXPECT_EQ(filesIn("vault").count("b.txt"), 1u);
    EXPECT_EQ(ui.textsOf(ScriptedInteraction::Kind::Message),
              std::vector<std::string>{session->messenger().format(Msg::ProtectedFolderLeftPlain,
                                                                   temp.file("vault/").c_str())});
}

TEST_F(AppStartTest, TheFirstStartOffersTheWizardWritesTheMakersKeyAndShowsTheMiniWindowOnlyWithoutArguments)
{
    {
        CTessaryApp app(*session, frame, temp.file("data"));
        app.startUp(false);
    }
    EXPECT_EQ(frame.calls, (std::vector<std::string>{"wizard", "mini"}));
    const std::string makerKey = temp.file("home/") + text(Msg::MakerPublicKeyFileName);
    EXPECT_TRUE(fs::is_regular_file(makerKey));
    EXPECT_EQ(fs::status(makerKey).permissions() & fs::perms::owner_write, fs::perms::none);
    restart();
    EXPECT_EQ(session->settings().firstStart, 0);

    makeKeySetWithProtectedFolder();
    frame.calls.clear();
    CTessaryApp(*session, frame, temp.file("data")).startUp(true);
    EXPECT_EQ(frame.calls, (std::vector<std::string>{"outdated", "main"}));

    fs::rename(temp.file("keys"), temp.file("keys-moved"));
    restart();
    frame.calls.clear();
    CTessaryApp(*session, frame, temp.file("data")).startUp(false);
    EXPECT_EQ(frame.calls, (std::vector<std::string>{"moved", "mini"}));
}

TEST_F(AppStartTest, SwitchesTakeTheirPathsFromTheCommandLineOrTheClipboardAndReportEachClipboardFailure)
{
    makeKeySetWithProtectedFolder();
    using Switch = CommandLine::Switch;
    EXPECT_TRUE(start({"-E", "/d/a b.txt", "/d/c,d.txt"}));
    clipboard.content = "/d/x.klx,,/d/y.klx\nfile:///d/z%20z.klx";
    EXPECT_TRUE(start({"-D"}));
    EXPECT_FALSE(clipboard.content.has_value());
    using Request = std::pair<Switch, std::vector<std::string>>;
    EXPECT_EQ(frame.requests, (std::vector<Request>{{Switch::Encrypt, {"/d/a b.txt", "/d/c,d.txt"}},
                                                    {Switch::Decrypt, {"/d/x.klx", "/d/y.klx", "/d/z z.klx"}}}));
    EXPECT_TRUE(frame.calls.empty());  // a request neither opens the folder nor shows the start windows

    const std::pair<IClipboardText::Failure, int> failures[] = {
        {IClipboardText::Failure::NoText, Msg::ShellExtensionError},
        {IClipboardText::Failure::CannotOpen, Msg::ClipboardApiError},
        {IClipboardText::Failure::Unexpected, Msg::UnexpectedCircumstancesError}};
    for (const auto& [failure, slot] : failures) {
        ui.clear();
        clipboard.failing = failure;
        EXPECT_FALSE(start({"-K"}));
        EXPECT_EQ(ui.textsOf(ScriptedInteraction::Kind::Message), std::vector<std::string>{text(slot)});
    }
    EXPECT_EQ(frame.requests.size(), 2u);

    EXPECT_TRUE(start({"/d/one file.txt"}));
    EXPECT_EQ(frame.studio, std::vector<std::string>{"/d/one file.txt"});
    EXPECT_EQ(frame.calls, (std::vector<std::string>{"outdated", "main"}));
}

TEST_F(AppStartTest, InstallPutsTheFileManagerEntriesInPlaceAndUninstallTakesThemAndTheSettingsAway)
{
    makeKeySetWithProtectedFolder();
    const ContextMenuEntries entries(temp.file("data"));
    EXPECT_TRUE(start({"/Install"}));
    EXPECT_TRUE(entries.installed());
    EXPECT_TRUE(fs::exists(temp.file("home/Values.dat")));
    for (const std::string& file : entries.files())
        EXPECT_NE(fs::status(file).permissions() & fs::perms::owner_exec, fs::perms::none) << file;
    EXPECT_FALSE(start({"/Uninstall"}));
    EXPECT_FALSE(fs::exists(temp.file("home/Values.dat")));
    for (const std::string& file : entries.files())
        EXPECT_FALSE(fs::exists(file)) << file;
}

TEST(IdleTimerTest, TheActionFiresOnceAfterTheThresholdOfEachArmingAndOnlyWhenItCanAct)
{
    int64_t now = 1000;
    int jitter = 29;
    IdleTimer timer([&] { return now; }, [&] { return jitter; });
    EXPECT_FALSE(timer.tick());
    timer.arm(5);
    now += 329;  // "TimeForTimer" 5: between 300 and 329 seconds
    EXPECT_FALSE(timer.tick());
    now += 1;
    EXPECT_FALSE(timer.tick(false));  // a hidden mini window: nothing yet
    EXPECT_TRUE(timer.tick());
    now += 1000;
    EXPECT_FALSE(timer.tick());

    timer.arm(1);
    jitter = 0;
    now += 30;
    timer.activity();
    now += 60;
    EXPECT_FALSE(timer.tick());
    now += 1;
    EXPECT_TRUE(timer.tick());
    timer.disarm();
    timer.arm(1);
    timer.disarm();
    now += 1000;
    EXPECT_FALSE(timer.tick());

    // Typing in another program counts; the desktop's count never moves the
    // last activity back.
    timer.arm(1);
    now += 50;
    timer.desktopIdle(5);
    now += 55;
    EXPECT_FALSE(timer.tick());
    timer.desktopIdle(1000);
    now += 5;
    EXPECT_TRUE(timer.tick());
}

TEST_F(AppStartTest, ALockedSessionClosesTheProtectedFolderAndUnlockingOpensItOnlyAfterYes)
{
    makeKeySetWithProtectedFolder();
    write("vault/a.txt", "alpha");
    CTessaryApp app(*session, frame, temp.file("data"));
    app.startUp(false);
    EXPECT_TRUE(app.idleTimer().armed());
    app.lockReported(LockSource::LogindSignal);
    EXPECT_EQ(filesIn("vault").count("a.txt.klx"), 1u);
    EXPECT_EQ(filesIn("vault").size(), 1u);

    ui.answerYesNo(false);
    app.unlockReported(LockSource::LogindSignal);
    EXPECT_EQ(ui.textsOf(ScriptedInteraction::Kind::YesNo), std::vector<std::string>{text(Msg::DecryptAgainAfterLock)});
    EXPECT_EQ(filesIn("vault").count("a.txt.klx"), 1u);
    app.unlockReported(LockSource::LogindSignal);  // asked once per lock
    EXPECT_EQ(ui.count(ScriptedInteraction::Kind::YesNo), 1u);

    app.lockReported(LockSource::LogindSignal);
    ui.answerYesNo(true);
    app.unlockReported(LockSource::LogindSignal);
    EXPECT_EQ(filesIn("vault"), (std::map<std::string, std::string>{{"a.txt", "alpha"}}));
}

TEST_F(AppStartTest, TheOptionsOutcomeRearmsOrRemovesTheTimerAndTogglesTheFileManagerEntries)
{
    makeKeySetWithProtectedFolder();
    CTessaryApp app(*session, frame, temp.file("data"));
    app.startUp(false);
    const ContextMenuEntries entries(temp.file("data"));
    ASSERT_TRUE(entries.installed());  // put in place at the first start

    OptionsChange change;
    change.removeFileManagerEntries = true;
    app.applyOptions(change);
    EXPECT_FALSE(app.idleTimer().armed());
    for (const std::string& file : entries.files())
        EXPECT_FALSE(fs::exists(file)) << file;

    change.removeFileManagerEntries = false;
    change.idleTimerArmed = true;
    app.applyOptions(change);
    EXPECT_TRUE(app.idleTimer().armed());
    EXPECT_TRUE(entries.installed());
}

TEST_F(AppStartTest, ANewRemovableMountAsksBeforeTheProtectedFolderIsDecrypted)
{
    std::vector<MountEntry> table{{"/", "ext4", "/dev/sda1"}, {"/media/me/old", "vfat", "/dev/sdb1"}};
    MountPoller poller([&] { return table; },
                       [](const MountEntry& mount) { return mount.mountPoint.rfind("/media/", 0) == 0; });
    EXPECT_TRUE(poller.poll().empty());  // what was there at start is not new
    table.push_back({"/media/me/STICK", "vfat", "/dev/sdc1"});
    table.push_back({"/mnt/disk", "ext4", "/dev/sdd1"});
    EXPECT_EQ(poller.poll(), std::vector<std::string>{"/media/me/STICK"});
    EXPECT_TRUE(poller.poll().empty());

    makeKeySetWithProtectedFolder();
    write("vault/a.txt", "alpha");
    CTessaryApp app(*session, frame, temp.file("data"));
    app.startUp(false);
    app.shutDown(false);
    ui.answerYesNo(false);
    app.removableMediumMounted();
    EXPECT_EQ(ui.textsOf(ScriptedInteraction::Kind::YesNo), std::vector<std::string>{text(Msg::UsbDecryptQuestion)});
    EXPECT_EQ(filesIn("vault").count("a.txt.klx"), 1u);
}

TEST_F(AppStartTest, WakingOrAMediumWhileLockedOpensNothingAndALockDuringTheUnlockQuestionKeepsTheFolderClosed)
{
    makeKeySetWithProtectedFolder();
    session->settings().inquireUsb = 0;  // a medium would decrypt without a question
    write("vault/a.txt", "alpha");
    CTessaryApp app(*session, frame, temp.file("data"));
    app.startUp(false);
    const auto closed = [&] { return filesIn("vault").count("a.txt.klx") == 1 && filesIn("vault").size() == 1; };

    app.lockReported(LockSource::GnomeScreenSaver);
    app.sleepStarts();
    app.wokenUp();
    app.removableMediumMounted();
    EXPECT_TRUE(closed());
    EXPECT_EQ(ui.count(ScriptedInteraction::Kind::YesNo), 0u);

    // The question opens; the screen saver comes back before it is answered.
    ui.whileAsking([&] { app.lockReported(LockSource::GnomeScreenSaver); });
    ui.answerYesNo(true);
    app.unlockReported(LockSource::GnomeScreenSaver);
    EXPECT_TRUE(closed());
    ui.whileAsking({});
    ui.answerYesNo(true);
    app.unlockReported(LockSource::GnomeScreenSaver);
    EXPECT_EQ(ui.textsOf(ScriptedInteraction::Kind::YesNo),
              (std::vector<std::string>{text(Msg::DecryptAgainAfterLock), text(Msg::DecryptAgainAfterLock)}));
    EXPECT_EQ(filesIn("vault"), (std::map<std::string, std::string>{{"a.txt", "alpha"}}));

    // Sleep with no lock: the wake asks.
    app.sleepStarts();
    EXPECT_TRUE(closed());
    ui.answerYesNo(true);
    app.wokenUp();
    EXPECT_EQ(filesIn("vault"), (std::map<std::string, std::string>{{"a.txt", "alpha"}}));
}

} // namespace
} // namespace mvx::test

#include "app/ContextMenuEntries.h"
#include "app/IClipboardText.h"
#include "app/Msg.h"
#include "app/SingleInstance.h"
#include "platform/MountPoller.h"
#include "platform/SecretMemory.h"
#include "workbench/AppSession.h"
#include "workbench/BatchContext.h"
#include "workbench/CTessaryApp.h"
#include "workbench/IAppFrame.h"
#include "workbench/OptionsApply.h"
#include "workbench/OwnKeyMaterial.h"

#include "FileSizeLimit.h"
#include "ScriptedInteraction.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <sys/mman.h>
#include <sys/prctl.h>

namespace mvx::test {
namespace {

namespace fs = std::filesystem;

struct RecordingFrame : IAppFrame {
    void offerKeySetWizard() override { calls.push_back("wizard"); }
    void locateMovedKeySet() override { calls.push_back("moved"); }
    void reportOutdatedKeys() override { calls.push_back("outdated"); }
    void showMainWindow() override { calls.push_back("main"); }
    void showMiniWindow() override { calls.push_back("mini"); }
    void bringToFront(const std::string&) override { calls.push_back("front"); }
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

TEST_F(AppStartTest, AFullDiskAtExitKeepsTheProgramOpenUntilTheUserLetsItEndAndTheNextStartTells)
{
    using Kind = ScriptedInteraction::Kind;
    makeKeySetWithProtectedFolder();
    write("vault/small.txt", "small");
    write("vault/big.bin", randomBytes(200 * 1024));
    const std::string vault = temp.file("vault/");
    const std::string notClosed = session->messenger().format(
        Msg::ProtectedFolderStayedPlain, vault, vault + "big.bin: " + text(Msg::PlainBecauseNotEncrypted) + "\n");
    const std::string keepOpen = session->messenger().format(Msg::KeepOpenToCloseFolder, vault, 1LL);
    {
        CTessaryApp app(*session, frame, temp.file("data"));
        app.startUp(false);
        frame.calls.clear();
        bool ended = true;
        withFileSizeLimit(64 * 1024, [&] { ended = app.shutDown(true); });
        // Nobody is there to answer an automatic close: the program stays open with its report.
        EXPECT_FALSE(ended);
        EXPECT_EQ(ui.textsOf(Kind::Message), std::vector<std::string>{notClosed});
        EXPECT_EQ(ui.count(Kind::YesNo), 0u);
        EXPECT_EQ(frame.calls, std::vector<std::string>{"main"});
        EXPECT_EQ(filesIn("vault").count("small.txt.klx"), 1u);
        EXPECT_EQ(filesIn("vault").count("small.txt"), 0u);
        EXPECT_EQ(filesIn("vault").count("big.bin"), 1u);
        EXPECT_EQ(filesIn("vault").size(), 2u);  // no hidden partial output either

        // The next close is the user's: asked, Yes keeps it open, No lets it end.
        ui.clear();
        ui.answerYesNo(true);
        withFileSizeLimit(64 * 1024, [&] { ended = app.shutDown(true); });
        EXPECT_FALSE(ended);
        EXPECT_EQ(ui.textsOf(Kind::YesNo), std::vector<std::string>{keepOpen});
        ui.answerYesNo(false);
        withFileSizeLimit(64 * 1024, [&] { ended = app.shutDown(false); });
        EXPECT_TRUE(ended);
    }
    ui.clear();
    restart();
    {
        CTessaryApp next(*session, frame, temp.file("data"));
        next.startUp(false);
        EXPECT_EQ(ui.textsOf(Kind::Status).back(),
                  session->messenger().format(Msg::ProtectedFolderPlainAtStart, vault, 1LL));
        EXPECT_EQ(filesIn("vault").count("small.txt"), 1u);
    }
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
    const std::string x = write("d/x.klx", "x"), y = write("d/y.klx", "y"), z = write("d/z z.klx", "z");
    clipboard.content = x + ",," + y + "\nfile://" + temp.file("d/z%20z.klx") + "\nfile://elsewhere/d/x.klx";
    EXPECT_TRUE(start({"-D"}));
    EXPECT_FALSE(clipboard.content.has_value());
    using Request = std::pair<Switch, std::vector<std::string>>;
    EXPECT_EQ(frame.requests, (std::vector<Request>{{Switch::Encrypt, {"/d/a b.txt", "/d/c,d.txt"}},
                                                    {Switch::Decrypt, {x, y, z}}}));
    EXPECT_TRUE(frame.calls.empty());  // a request neither opens the folder nor shows the start windows
    EXPECT_EQ(ui.textsOf(ScriptedInteraction::Kind::Message),
              std::vector<std::string>{session->messenger().format(Msg::HandedOverEntriesLeftOut,
                                                                   "file://elsewhere/d/x.klx")});

    // Nothing left to work on: said so, and the request ends.
    ui.clear();
    clipboard.content = "file://" + temp.file("d/x.klx%00.txt");
    EXPECT_FALSE(start({"-K"}));
    EXPECT_EQ(ui.textsOf(ScriptedInteraction::Kind::Message),
              std::vector<std::string>{session->messenger().format(Msg::HandedOverEntriesLeftOut,
                                                                   ("file://" + temp.file("d/x.klx%00.txt")).c_str())});
    clipboard.content.reset();

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

struct Mapping {
    bool found = false;
    long lockedKb = 0;
    std::string flags;  // VmFlags: "lo" locked, "dd" left out of core dumps
};

// What /proc/self/smaps says of the mapping that holds address.
Mapping mappingOf(const void* address)
{
    const auto at = reinterpret_cast<uintptr_t>(address);
    std::ifstream smaps("/proc/self/smaps");
    Mapping mapping;
    bool inside = false;
    for (std::string line; std::getline(smaps, line);) {
        unsigned long from = 0, to = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx ", &from, &to) == 2 && line.find(':') > line.find(' ')) {
            if (inside)
                break;
            inside = from <= at && at < to;
            mapping.found = mapping.found || inside;
        } else if (inside && line.rfind("Locked:", 0) == 0) {
            mapping.lockedKb = std::atol(line.c_str() + 7);
        } else if (inside && line.rfind("VmFlags:", 0) == 0) {
            mapping.flags = line.substr(8);
        }
    }
    return mapping;
}

bool dumpable() { return ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0) == 1; }

// Whether mlock locks anything here: RLIMIT_MEMLOCK may forbid it, and the
// sanitizers turn it into a no-op.
bool pagesCanBeLocked()
{
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    void* probe = ::mmap(nullptr, page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    const bool locked = probe != MAP_FAILED && ::mlock(probe, page) == 0 && mappingOf(probe).lockedKb > 0;
    if (probe != MAP_FAILED)
        ::munmap(probe, page);
    return locked;
}

TEST_F(AppStartTest, WhileTheOwnKeyMaterialIsHeldTheProcessCannotBeDumpedAndItsPagesAreLockedAndLeftOutOfDumps)
{
    if (!dumpable())
        GTEST_SKIP() << "the test process is not dumpable to begin with";
    makeKeySetWithProtectedFolder();
    const KeySetPaths paths = KeySetPaths::from(session->keys(), true);
    auto material = OwnKeyMaterial::read(paths);
    ASSERT_TRUE(material.has_value());
    std::ifstream file(paths.privateKeyFile, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), material->privateKeyFile.begin(), material->privateKeyFile.end()));
    EXPECT_FALSE(dumpable());
    const Mapping mapping = mappingOf(material->privateKeyFile.data());
    ASSERT_TRUE(mapping.found);
    EXPECT_NE(mapping.flags.find(" dd"), std::string::npos) << mapping.flags;
    if (pagesCanBeLocked()) {
        EXPECT_GT(mapping.lockedKb, 0);
        EXPECT_NE(mapping.flags.find(" lo"), std::string::npos) << mapping.flags;
    }
    const void* pages = material->privateKeyFile.data();
    OwnKeyMaterial::wipe(*material);
    EXPECT_TRUE(material->privateKeyFile.empty());
    EXPECT_FALSE(mappingOf(pages).found);  // given back
    EXPECT_TRUE(dumpable());

    // The window program's start holds it the same way until the program object goes.
    {
        CTessaryApp app(*session, frame, temp.file("data"));
        app.startUp(false);
        ASSERT_TRUE(app.holdsKeyMaterial());
        EXPECT_FALSE(dumpable());
    }
    EXPECT_TRUE(dumpable());
    EXPECT_EQ(SecretMemory::held(), 0u);
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

namespace mvx::test {
namespace {

// The first start speaks the user's locale; once a settings file exists, a
// missing "LanguageSel" keeps Japanese whatever the locale.
TEST(FirstStartLanguageTest, TheLocaleChoosesOnlyWhileNoSettingsFileExists)
{
    struct Case {
        const char* lcAll;
        const char* lang;
        bool settingsFile;
        const char* expected;
    };
    const Case cases[] = {
        {"", "ja_JP.UTF-8", false, "JP"}, {"", "C.UTF-8", false, "EN"},  {"", "", false, "EN"},
        {"ja_JP", "en_US.UTF-8", false, "JP"}, {"en_GB.UTF-8", "ja_JP", false, "EN"},
        {"", "C.UTF-8", true, "JP"},
    };
    const std::string oldLang = std::getenv("LANG") ? std::getenv("LANG") : "";
    for (const Case& c : cases) {
        TempFolder temp;
        ScriptedInteraction ui;
        if (c.settingsFile) {
            std::filesystem::create_directories(temp.file("home"));
            std::ofstream(temp.file("home/Values.dat")) << "[KLX]\nUseTimer=1\n";
        }
        ::setenv("LC_ALL", c.lcAll, 1);
        ::setenv("LANG", c.lang, 1);
        AppSession session(ui, temp.file("home"), {}, true);
        EXPECT_EQ(session.settings().languageSel, c.expected) << c.lcAll << " / " << c.lang;
        EXPECT_EQ(session.language().code(), c.expected) << c.lcAll << " / " << c.lang;
    }
    ::unsetenv("LC_ALL");
    ::setenv("LANG", oldLang.c_str(), 1);
}

} // namespace
} // namespace mvx::test

// The protected folder against the real AppMonitor and CTessaryApp, with
// logind, two screen savers and GNOME's idle monitor played by
// python3-dbusmock on private buses, and a Wayland compositor's idle
// notifier by a stand-in in the test.
#include "MockBus.h"

#include "app/Msg.h"
#include "platform/MountPoller.h"
#include "ScriptedInteraction.h"
#include "TempFolder.h"
#include "ui/app/AppMonitor.h"
#include "ui/app/QtAppFrame.h"
#include "ui/main/CTessaryDlg.h"
#include "ui/shared/QtInteraction.h"
#include "ui/shared/UiThreadInteraction.h"
#include "WaylandMockCompositor.h"
#include "workbench/AppSession.h"
#include "workbench/CTessaryApp.h"

#include <QApplication>
#include <QDateTime>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QProcess>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <map>
#include <sstream>

namespace mvx::test {

namespace fs = std::filesystem;

namespace {

const QString kLogind = "org.freedesktop.login1";
const QString kManagerPath = "/org/freedesktop/login1";
const QString kManager = "org.freedesktop.login1.Manager";
const QString kSessionInterface = "org.freedesktop.login1.Session";
const QString kFreedesktopSaver = "org.freedesktop.ScreenSaver";
const QString kGnomeSaver = "org.gnome.ScreenSaver";
const QString kMutter = "org.gnome.Mutter.IdleMonitor";

QString sessionPath(const QString& id) { return kManagerPath + "/session/" + id; }

} // namespace

class DesktopLockTest : public QObject {
    Q_OBJECT

private:
    enum class Lookup { ByProcess, ByEnvironment, ByAuto, None };

    std::unique_ptr<TempFolder> temp_;
    std::unique_ptr<ScriptedInteraction> script_;
    std::unique_ptr<ui::UiThreadInteraction> interaction_;
    std::unique_ptr<AppSession> session_;
    std::unique_ptr<ui::QtInteraction> dialogs_;
    std::unique_ptr<ui::QtAppFrame> frame_;
    std::unique_ptr<CTessaryApp> app_;
    std::unique_ptr<ui::AppMonitor> monitor_;
    std::vector<std::unique_ptr<MockService>> mocks_;
    std::vector<MountEntry> mounts_;
    MockService* logind_ = nullptr;
    QString session_id_ = "c1";

    std::string file(const std::string& name) const { return temp_->file(name); }

    void write(const std::string& name, const std::string& content) const
    {
        fs::create_directories(fs::path(file(name)).parent_path());
        std::ofstream(file(name), std::ios::binary | std::ios::trunc) << content;
    }

    std::map<std::string, std::string> vault() const
    {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(file("vault"))) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            files[fs::relative(entry.path(), file("vault")).string()] = bytes.str();
        }
        return files;
    }

    const std::map<std::string, std::string> plain_{{"a.txt", "alpha"}, {"sub/b.txt", "beta"}};

    bool onlyContainers() const
    {
        const auto files = vault();
        if (files.size() != plain_.size())
            return false;
        for (const auto& [name, bytes] : files)
            if (name.size() < 4 || name.substr(name.size() - 4) != ".klx" || bytes.find("alpha") != std::string::npos)
                return false;
        return true;
    }

    bool isPlain() const { return vault() == plain_; }

    std::vector<std::string> questions() const { return script_->textsOf(ScriptedInteraction::Kind::YesNo); }
    std::string text(int slot) const { return session_->messenger().text(slot); }

    MockService& mock(MockService::Bus bus, const QStringList& arguments, const QString& name)
    {
        mocks_.push_back(std::make_unique<MockService>(bus, arguments));
        if (!mocks_.back()->ready(name))
            qFatal("the mock of %s did not start (install python3-dbusmock)", qPrintable(name));
        return *mocks_.back();
    }

    // logind with the user's session, found the way given.
    void startLogind(Lookup lookup)
    {
        logind_ = &mock(MockService::Bus::System, {"--template", "logind"}, kLogind);
        if (lookup == Lookup::None)
            return;
        session_id_ = lookup == Lookup::ByAuto ? "c3" : lookup == Lookup::ByEnvironment ? "c2" : "c1";
        logind_->call(kLogind, kManagerPath, "org.freedesktop.DBus.Mock", "AddSession",
                      {session_id_, "seat0", uint(1000), "me", true});
        if (lookup == Lookup::ByProcess)
            logind_->addMethod(kLogind, kManagerPath, kManager, "GetSessionByPID", "u", "o",
                               QString("ret = '%1'").arg(sessionPath(session_id_)));
        if (lookup == Lookup::ByAuto) {
            // What logind answers for "auto": the caller's own session's Id.
            logind_->call(kLogind, kManagerPath, "org.freedesktop.DBus.Mock", "AddSession",
                          {"auto", "seat0", uint(1000), "me", true});
            logind_->updateProperties(kLogind, sessionPath("auto"), kSessionInterface, {{"Id", session_id_}});
        }
    }

    MockService& freedesktopSaver()
    {
        return mock(MockService::Bus::Session, {kFreedesktopSaver, "/org/freedesktop/ScreenSaver", kFreedesktopSaver},
                    kFreedesktopSaver);
    }

    // The monitor, as the program starts it after the window.
    void watch(Lookup lookup)
    {
        ui::LoginSessionHints hints;
        hints.xdgSessionId = lookup == Lookup::ByEnvironment ? "c2" : "";
        hints.auditSessionFile = QString::fromStdString(file("no-audit-session"));
        MountPoller poller([this] { return mounts_; }, [](const MountEntry&) { return true; });
        monitor_ = std::make_unique<ui::AppMonitor>(*app_, *frame_, hints, std::move(poller));
    }

    // The sleep delays held with this program's reason.
    int sleepDelays()
    {
        const QDBusMessage reply = logind_->call(kLogind, kManagerPath, kManager, "ListInhibitors");
        if (reply.arguments().isEmpty())
            return -1;
        const QDBusArgument list = qvariant_cast<QDBusArgument>(reply.arguments().constFirst());
        int held = 0;
        list.beginArray();
        while (!list.atEnd()) {
            QString what, who, why, mode;
            uint uid = 0, pid = 0;
            list.beginStructure();
            list >> what >> who >> why >> mode >> uid >> pid;
            list.endStructure();
            held += what == "sleep" && mode == "delay" && why.toStdString() == text(Msg::SleepDelayReason);
        }
        list.endArray();
        return held;
    }

    static void saverActive(MockService& saver, bool active)
    {
        saver.emitSignal(kFreedesktopSaver, "/org/freedesktop/ScreenSaver", kFreedesktopSaver, "ActiveChanged", "b",
                         {active});
    }
    static void gnomeActive(MockService& saver, bool active)
    {
        saver.call(kGnomeSaver, "/org/gnome/ScreenSaver", kGnomeSaver, "SetActive", {active});
    }
    void prepareForSleep(bool starting)
    {
        logind_->emitSignal(kLogind, kManagerPath, kManager, "PrepareForSleep", "b", {starting});
    }

    void setLockedHint(bool locked)
    {
        logind_->call(kLogind, sessionPath(session_id_), kSessionInterface, "SetLockedHint", {locked});
    }

private slots:
    void init()
    {
        temp_ = std::make_unique<TempFolder>();
        script_ = std::make_unique<ScriptedInteraction>();
        interaction_ = std::make_unique<ui::UiThreadInteraction>(*script_);
        {
            AppSession first(*interaction_, file("home"), "en");
            first.makeKeySet({file("keys/"), "me", "Me", "me@example.org"});
            first.settings().encAndDec = 1;
            first.settings().destPath2 = file("vault/");
            first.settings().firstStart = 0;
            first.settings().useSmallMenu = 0;
            first.saveSettings();
        }
        session_ = std::make_unique<AppSession>(*interaction_, file("home"), "en");
        for (const auto& [name, bytes] : plain_)
            write("vault/" + name, bytes);
        dialogs_ = std::make_unique<ui::QtInteraction>();
        frame_ = std::make_unique<ui::QtAppFrame>(*session_, *dialogs_, [this] {
            app_->shutDown(monitor_ && monitor_->closedByIdle());
        });
        app_ = std::make_unique<CTessaryApp>(*session_, *frame_, file("data"));
        app_->startUp(false);
        QVERIFY(isPlain());
        script_->clear();
    }

    void cleanup()
    {
        monitor_.reset();
        mocks_.clear();
        logind_ = nullptr;
        app_.reset();
        frame_.reset();
        dialogs_.reset();
        session_.reset();
        interaction_.reset();
        script_.reset();
        temp_.reset();
        mounts_.clear();
    }

    void logindLockedHintAndLockSignalsCloseAndOpenTheFolder()
    {
        startLogind(Lookup::ByProcess);
        watch(Lookup::ByProcess);
        setLockedHint(true);
        QTRY_VERIFY(onlyContainers());
        script_->answerYesNo(true);
        setLockedHint(false);
        QTRY_VERIFY(isPlain());
        QCOMPARE(questions(), std::vector<std::string>{text(Msg::DecryptAgainAfterLock)});

        logind_->call(kLogind, sessionPath(session_id_), kSessionInterface, "Lock");
        QTRY_VERIFY(onlyContainers());
        script_->answerYesNo(true);
        logind_->call(kLogind, sessionPath(session_id_), kSessionInterface, "Unlock");
        QTRY_VERIFY(isPlain());
        QCOMPARE(questions().size(), size_t(2));
        const auto status = script_->textsOf(ScriptedInteraction::Kind::Status);
        QVERIFY(std::find(status.begin(), status.end(), text(Msg::LocksNotFollowed)) == status.end());
    }

    void bothScreenSaversCloseAndOpenTheFolderInASessionFoundByItsId()
    {
        startLogind(Lookup::ByEnvironment);
        MockService& freedesktop = freedesktopSaver();
        MockService& gnome = mock(MockService::Bus::Session, {"--template", "gnome_screensaver"}, kGnomeSaver);
        watch(Lookup::ByEnvironment);
        QVERIFY(monitor_->desktop().sessionFound());

        saverActive(freedesktop, true);
        QTRY_VERIFY(onlyContainers());
        script_->answerYesNo(true);
        saverActive(freedesktop, false);
        QTRY_VERIFY(isPlain());

        gnomeActive(gnome, true);
        QTRY_VERIFY(onlyContainers());
        // GNOME marks the session locked too; the screen saver's unlock alone does not open it.
        setLockedHint(true);
        gnomeActive(gnome, false);
        QTest::qWait(300);
        QVERIFY(onlyContainers());
        script_->answerYesNo(true);
        setLockedHint(false);
        QTRY_VERIFY(isPlain());
        QCOMPARE(questions().size(), size_t(2));
    }

    void wakingIntoTheLockScreenLeavesTheFolderEncrypted()
    {
        startLogind(Lookup::ByAuto);
        watch(Lookup::ByAuto);
        QVERIFY(monitor_->desktop().sessionFound());
        // The machine waits for the folder, and only for that.
        QCOMPARE(sleepDelays(), 1);
        prepareForSleep(true);
        QTRY_VERIFY(onlyContainers());
        QTRY_COMPARE(sleepDelays(), 0);
        setLockedHint(true);
        prepareForSleep(false);
        QTest::qWait(300);
        QVERIFY(onlyContainers());
        QVERIFY(questions().empty());
        QTRY_COMPARE(sleepDelays(), 1);
        script_->answerYesNo(true);
        setLockedHint(false);
        QTRY_VERIFY(isPlain());

        // Sleep with no lock: the wake asks.
        prepareForSleep(true);
        QTRY_VERIFY(onlyContainers());
        script_->answerYesNo(true);
        prepareForSleep(false);
        QTRY_VERIFY(isPlain());
    }

    void aMediumMountedWhileLockedWaitsForTheUnlock()
    {
        startLogind(Lookup::ByProcess);
        watch(Lookup::ByProcess);
        setLockedHint(true);
        QTRY_VERIFY(onlyContainers());
        mounts_.push_back({"/media/me/STICK", "vfat", "/dev/sdc1"});
        QTest::qWait(2500);  // the mount table is read every two seconds
        QVERIFY(onlyContainers());
        QVERIFY(questions().empty());

        script_->answerYesNo(false);
        setLockedHint(false);
        QTRY_COMPARE(questions(), std::vector<std::string>{text(Msg::DecryptAgainAfterLock)});
        QVERIFY(onlyContainers());

        // Unlocked, the next medium asks as usual.
        script_->answerYesNo(true);
        mounts_.push_back({"/media/me/OTHER", "vfat", "/dev/sdd1"});
        QTRY_VERIFY_WITH_TIMEOUT(isPlain(), 10000);
        QCOMPARE(questions().back(), text(Msg::UsbDecryptQuestion));
    }

    void withoutASessionTheStatusLineSaysSoAndAScreenSaverStillCloses()
    {
        startLogind(Lookup::None);
        MockService& freedesktop = freedesktopSaver();
        watch(Lookup::None);
        QVERIFY(!monitor_->desktop().sessionFound());
        QCOMPARE(script_->textsOf(ScriptedInteraction::Kind::Status),
                 std::vector<std::string>{text(Msg::LocksNotFollowed)});
        saverActive(freedesktop, true);
        QTRY_VERIFY(onlyContainers());
    }

    void aSessionLockedBeforeTheStartClosesTheFolder_data()
    {
        QTest::addColumn<int>("source");
        QTest::newRow("logind LockedHint") << int(LockSource::LogindLockedHint);
        QTest::newRow("org.freedesktop.ScreenSaver") << int(LockSource::FreedesktopScreenSaver);
        QTest::newRow("org.gnome.ScreenSaver") << int(LockSource::GnomeScreenSaver);
    }

    void aSessionLockedBeforeTheStartClosesTheFolder()
    {
        QFETCH(int, source);
        startLogind(Lookup::ByProcess);
        std::function<void(bool)> lock = [this](bool locked) { setLockedHint(locked); };
        if (source == int(LockSource::FreedesktopScreenSaver)) {
            MockService& saver = freedesktopSaver();
            lock = [&saver](bool locked) {
                saver.addMethod(kFreedesktopSaver, "/org/freedesktop/ScreenSaver", kFreedesktopSaver, "GetActive",
                                "", "b", locked ? "ret = True" : "ret = False");
                if (!locked)
                    saverActive(saver, false);
            };
        } else if (source == int(LockSource::GnomeScreenSaver)) {
            MockService& saver = mock(MockService::Bus::Session, {"--template", "gnome_screensaver"}, kGnomeSaver);
            lock = [&saver](bool locked) { gnomeActive(saver, locked); };
        }
        lock(true);
        watch(Lookup::ByProcess);
        QTRY_VERIFY(onlyContainers());
        QVERIFY(questions().empty());
        script_->answerYesNo(true);
        lock(false);
        QTRY_VERIFY(isPlain());
        QCOMPARE(questions(), std::vector<std::string>{text(Msg::DecryptAgainAfterLock)});
    }

    void anUnlockedSessionStaysOpenAtTheStart()
    {
        startLogind(Lookup::ByProcess);
        freedesktopSaver().addMethod(kFreedesktopSaver, "/org/freedesktop/ScreenSaver", kFreedesktopSaver,
                                     "GetActive", "", "b", "ret = False");
        mock(MockService::Bus::Session, {"--template", "gnome_screensaver"}, kGnomeSaver);
        watch(Lookup::ByProcess);
        QTest::qWait(500);
        QVERIFY(isPlain());
    }

    void theDesktopsIdleTimeCountsThroughMutterOrLogind()
    {
        startLogind(Lookup::ByProcess);
        MockService& mutter = mock(MockService::Bus::Session,
                                   {kMutter, "/org/gnome/Mutter/IdleMonitor/Core", kMutter}, kMutter);
        mutter.addMethod(kMutter, "/org/gnome/Mutter/IdleMonitor/Core", kMutter, "GetIdletime", "", "t", "ret = 0");
        watch(Lookup::ByProcess);
        // No input reaches the program; the desktop says its user is busy elsewhere.
        QTest::qWait(3200);
        QVERIFY(app_->idleTimer().secondsIdle() <= 1);
        const std::string sources = monitor_->desktop().describe(session_->table());
        QVERIFY2(sources.find("Idle time from: org.gnome.Mutter.IdleMonitor, logind IdleHint") == 0, sources.c_str());
        QVERIFY2(sources.find("Screen locks from: logind /org/freedesktop/login1/session/c1") != std::string::npos,
                 sources.c_str());

        // Without GNOME: logind's hint, changed when the user came back.
        monitor_.reset();
        mocks_.pop_back();
        logind_->updateProperties(kLogind, sessionPath(session_id_), kSessionInterface,
                                  {{"IdleHint", false},
                                   {"IdleSinceHint", qulonglong(QDateTime::currentMSecsSinceEpoch()) * 1000}});
        app_->armIdleTimer();
        watch(Lookup::ByProcess);
        QTest::qWait(3200);
        QVERIFY(app_->idleTimer().secondsIdle() >= 2);
        logind_->updateProperties(kLogind, sessionPath(session_id_), kSessionInterface,
                                  {{"IdleSinceHint", qulonglong(QDateTime::currentMSecsSinceEpoch()) * 1000}});
        QTRY_VERIFY(app_->idleTimer().secondsIdle() <= 1);
    }

    void theDesktopsIdleTimeCountsThroughTheWaylandIdleNotifier()
    {
        startLogind(Lookup::ByProcess);
        WaylandMockCompositor compositor;
        qputenv("WAYLAND_DISPLAY", QByteArray::fromStdString(compositor.socket()));
        watch(Lookup::ByProcess);
        qunsetenv("WAYLAND_DISPLAY");
        const std::string sources = monitor_->desktop().describe(session_->table());
        QVERIFY2(sources.find("Idle time from: ext-idle-notify-v1, logind IdleHint") == 0, sources.c_str());
        // No input reaches the program, but the seat is in use.
        QTest::qWait(3200);
        QVERIFY(app_->idleTimer().secondsIdle() <= 1);

        compositor.idled();
        QTest::qWait(3200);
        QVERIFY(app_->idleTimer().secondsIdle() >= 2);
        compositor.resumed();
        QTRY_VERIFY(app_->idleTimer().secondsIdle() <= 1);
    }

    void theAboutBoxNamesTheSourcesFound()
    {
        startLogind(Lookup::ByProcess);
        mock(MockService::Bus::Session, {"--template", "gnome_screensaver"}, kGnomeSaver);
        watch(Lookup::ByProcess);
        QVERIFY(frame_->window());
        frame_->window()->action(ui::CTessaryDlg::CmdAbout)->trigger();
        const auto shown = script_->textsOf(ScriptedInteraction::Kind::Message);
        QVERIFY(!shown.empty());
        const std::string expected = session_->messenger().format(Msg::AboutText, std::string()) +
                                     "\n\nIdle time from: logind IdleHint, this program's own windows\n"
                                     "Screen locks from: logind /org/freedesktop/login1/session/c1 (Lock, "
                                     "LockedHint), logind PrepareForSleep, org.gnome.ScreenSaver";
        QCOMPARE(shown.back(), expected);
    }

    void versionNamesTheSourcesFound()
    {
        startLogind(Lookup::ByProcess);
        mock(MockService::Bus::Session, {"--template", "gnome_screensaver"}, kGnomeSaver);
        session_->settings().languageSel = "EN";
        session_->saveSettings();
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("MORVANEX_HOME", QString::fromStdString(file("home")));
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        environment.remove("QT_QPA_PLATFORM");
        program.setProcessEnvironment(environment);
        program.start(MORVANEX_PROGRAM, {"--version"});
        QVERIFY(program.waitForFinished(20000));
        const QString output = QString::fromUtf8(program.readAllStandardOutput());
        QVERIFY2(output.startsWith("morvanex "), qPrintable(output));
        // GetSessionByPID names the mock's session for the program too.
        QVERIFY2(output.contains("Screen locks from: logind /org/freedesktop/login1/session/c1 (Lock, LockedHint), "
                                 "logind PrepareForSleep, org.gnome.ScreenSaver\n"),
                 qPrintable(output));
        QVERIFY2(output.contains("Idle time from: logind IdleHint, this program's own windows\n"), qPrintable(output));
    }
};

} // namespace mvx::test

int main(int argc, char** argv)
{
    if (!mvx::test::PrivateBuses::start())
        return 1;
    int status = 0;
    {
        QApplication app(argc, argv);
        mvx::test::DesktopLockTest test;
        status = QTest::qExec(&test, argc, argv);
    }
    mvx::test::PrivateBuses::stop();
    return status;
}

#include "DesktopLockTest.moc"

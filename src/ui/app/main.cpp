// morvanex: the window program.
#include "app/CLanguage.h"
#include "app/CMessageTable.h"
#include "app/CommandLine.h"
#include "app/CSettingsStore.h"
#include "app/Msg.h"
#include "app/ProgramFolder.h"
#include "app/SingleInstance.h"
#include "ui/app/AppMonitor.h"
#include "ui/app/DesktopWatch.h"
#include "ui/app/FirstPaintProbe.h"
#include "ui/app/QtAppFrame.h"
#include "ui/main/CTessaryDialogMini.h"
#include "ui/main/CTessaryDlg.h"
#include "ui/service/CProgressDiag.h"
#include "ui/shared/QtClipboardText.h"
#include "ui/shared/QtInteraction.h"
#include "ui/shared/QtTranslations.h"
#include "ui/shared/UiThreadInteraction.h"
#include "workbench/AppSession.h"
#include "workbench/CTessaryApp.h"

#include <QApplication>
#include <QGuiApplication>
#include <QTimer>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace {

bool displayAvailable()
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return true;
    }
    return false;
}

// Without a display there is no window: one line in the language of the settings.
int reportNoDisplay()
{
    mvx::CMessageTable table;
    mvx::CLanguage language(table);
    language.applySetting(mvx::CSettingsStore(mvx::programFolder()).load().settings.languageSel);
    std::cerr << table.text(mvx::Msg::NoDisplay) << '\n';
    return 1;
}

// "--version": the version, then the idle and lock sources this desktop
// offers, in the language of the settings. The X server is asked only where
// there is a display.
int printVersion(int argc, char** argv)
{
    std::cout << "morvanex " << MORVANEX_VERSION << '\n';
    std::unique_ptr<QCoreApplication> core;
    if (displayAvailable())
        core = std::make_unique<QGuiApplication>(argc, argv);
    else
        core = std::make_unique<QCoreApplication>(argc, argv);
    mvx::CMessageTable table;
    mvx::CLanguage language(table);
    language.applySetting(mvx::CSettingsStore(mvx::programFolder()).load().settings.languageSel);
    const mvx::ui::DesktopWatch desktop({}, {});
    std::cout << desktop.describe(table) << '\n';
    return 0;
}

// "--screenshot FILE" saves the first window shown as a picture, and
// "--first-paint" prints when it was first painted; both then end the program.
void probeFirstPaint(const QStringList& arguments, QWidget* window)
{
    const int screenshot = arguments.indexOf("--screenshot");
    const QString picture = screenshot > 0 && screenshot + 1 < arguments.size() ? arguments[screenshot + 1] : QString();
    const bool printTime = arguments.contains("--first-paint");
    if (!picture.isEmpty() || printTime)
        new mvx::ui::FirstPaintProbe(window, picture, printTime);
}

// "--screenshot FILE --show-dialog history:CONTAINER|barcode|progress" (the
// screenshot script): opens that dialog over the main window, saves a picture
// of it and ends the program at once (a progress window's request is left
// unfinished).
bool showDialogForPicture(const QStringList& arguments, mvx::AppSession& session, mvx::ui::CTessaryDlg& window)
{
    const int at = arguments.indexOf("--show-dialog");
    const int screenshot = arguments.indexOf("--screenshot");
    if (at < 0 || at + 1 >= arguments.size() || screenshot < 0 || screenshot + 1 >= arguments.size())
        return false;
    const QString dialog = arguments[at + 1];
    const QString picture = arguments[screenshot + 1];
    auto* poll = new QTimer(&window);
    QObject::connect(poll, &QTimer::timeout, [poll, picture] {
        QWidget* shown = QApplication::activeModalWidget();
        if (!shown)
            return;
        poll->stop();
        QTimer::singleShot(600, shown, [shown, picture] {
            shown->grab().save(picture);
            std::_Exit(0);
        });
    });
    poll->start(50);
    QTimer::singleShot(0, &window, [dialog, &session, &window] {
        if (dialog.startsWith("history:")) {
            window.showFileLogs({dialog.mid(8).toStdString()});
        } else if (dialog == "barcode") {
            window.action(mvx::ui::CTessaryDlg::CmdShowQrCode)->trigger();
        } else {
            mvx::ServiceAction::Request connect;
            connect.action = "connect";
            mvx::ui::CProgressDiag(session, connect, &window).run();
        }
    });
    return true;
}

// The command line without the program name and the probes' options.
mvx::CommandLine commandLine(const QStringList& arguments)
{
    std::vector<std::string> words;
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--screenshot" || arguments[i] == "--show-dialog")
            ++i;
        else if (arguments[i] != "--first-paint")
            words.push_back(arguments[i].toStdString());
    }
    return mvx::CommandLine::parse(words);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--version")
        return printVersion(argc, argv);
    if (!displayAvailable())
        return reportNoDisplay();
    QApplication app(argc, argv);
    QApplication::setApplicationName("morvanex");
    QApplication::setApplicationVersion(MORVANEX_VERSION);
    QApplication::setQuitOnLastWindowClosed(false);

    mvx::ui::QtInteraction dialogs;
    mvx::ui::UiThreadInteraction interaction(dialogs);
    mvx::AppSession session(interaction, std::string(), std::string(), true);
    dialogs.setTable(&session.table());
    // Before any window: Qt's dialogs and calendars follow "LanguageSel" from the first question on.
    mvx::ui::QtTranslations qtTexts(session.language());

    mvx::CTessaryApp* started = nullptr;
    std::unique_ptr<mvx::ui::AppMonitor> monitor;
    mvx::ui::QtAppFrame frame(session, dialogs, [&started, &monitor] {
        // The protected folder is encrypted before the event loop ends, so its
        // questions still open as usual; when it could not be closed the
        // window may come back instead.
        if (started->shutDown(monitor && monitor->closedByIdle()))
            QApplication::quit();
    });
    mvx::CTessaryApp tessary(session, frame);
    started = &tessary;
    const char* home = std::getenv("MORVANEX_HOME");
    mvx::SingleInstance instance(mvx::SingleInstance::lockFolderFor(session.folder(), home && *home));
    mvx::ui::QtClipboardText clipboard;
    if (!tessary.start(commandLine(QApplication::arguments()), instance, clipboard))
        return 0;
    monitor = std::make_unique<mvx::ui::AppMonitor>(tessary, frame);
    mvx::ui::CTessaryDlg* window = frame.window();
    if (!showDialogForPicture(QApplication::arguments(), session, *window)) {
        if (window->miniWindow() && window->miniWindow()->isVisible())
            probeFirstPaint(QApplication::arguments(), window->miniWindow());
        else
            probeFirstPaint(QApplication::arguments(), window);
    }
    const int status = QApplication::exec();
    // However the event loop ended (a probe, a signal), the protected folder is closed.
    tessary.shutDown(monitor->closedByIdle(), false);
    return status;
}

// The window during a long batch: encrypts one large file for oneself from
// the main window (on its worker) while a timer on the window's thread
// repaints the window every 5 ms, and prints the longest gap between two
// ticks, how often the progress line changed, and the batch's time beside
// the same batch run without the window. Usage: window_bench WORK_FOLDER [MEGABYTES]
#include "app/IInteraction.h"
#include "ui/CTessaryDlg.h"
#include "ui/UiThreadInteraction.h"
#include "workbench/AppSession.h"
#include "workbench/WorkbenchCommands.h"
#include "workbench/WorkbenchSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// Answers every question with its first choice and shows nothing.
class SilentInteraction : public mvx::IInteraction {
public:
    void showMessage(const std::string&, mvx::MsgIcon, const std::string&) override {}
    bool askYesNo(const std::string&, mvx::MsgIcon, const std::string&) override { return true; }
    bool askOkCancel(const std::string&, mvx::MsgIcon, const std::string&) override { return true; }
    int continueConfirm(const std::string&, const std::string&, const std::array<std::string, 4>&) override
    {
        return 0;
    }
    bool noticeWithSilence(const std::string&, const std::string&, const std::string&) override { return false; }
    std::vector<std::string> chooseFiles(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> chooseFolder(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> chooseSavePath(const std::string&, const std::string&) override { return {}; }
    void status(const std::string&) override {}
};

std::string makeFile(const std::string& path, long megabytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<char> block(1 << 20, 'm');
    for (long i = 0; i < megabytes; ++i)
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    return path;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_bench WORK_FOLDER [MEGABYTES]\n");
        return 2;
    }
    const std::string work = std::string(argv[1]) + "/mvx-window-bench-" + std::to_string(::getpid()) + "/";
    const long megabytes = argc > 2 ? std::atol(argv[2]) : 1024;
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    SilentInteraction silent;
    mvx::ui::UiThreadInteraction interaction(silent);
    mvx::AppSession session(interaction, work + "home", "en");
    session.makeKeySet({work + "keys/", "bench", "Bench", "bench@example.org"});
    const std::string plain = makeFile(work + "large.bin", megabytes);

    // The same batch without the window, for the yardstick.
    QElapsedTimer plainClock;
    plainClock.start();
    {
        mvx::WorkbenchSession alone(session.messenger(), session.settings(), session.keys(), true);
        mvx::WorkbenchCommands(alone.context()).encryptForOneself({plain});
    }
    const double plainSeconds = static_cast<double>(plainClock.elapsed()) / 1000.0;

    mvx::ui::CTessaryDlg window(session);
    auto* progressLine = window.findChild<QLabel*>("progressText");
    QString lastLine;
    qint64 lineChanges = 0;
    window.show();
    QElapsedTimer clock;
    qint64 last = 0, longest = 0, ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        ++ticks;
        if (progressLine->text() != lastLine) {
            lastLine = progressLine->text();
            ++lineChanges;
        }
        window.update();
    });
    QObject::connect(&window, &mvx::ui::CTessaryDlg::batchFinished, &app, &QApplication::quit);
    clock.start();
    tick.start(5);
    window.runBatch([&](mvx::BatchContext& context) { mvx::WorkbenchCommands(context).encryptForOneself({plain}); });
    QApplication::exec();
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    std::printf("window: encryption of %ld MiB took %.2f s (without the window %.2f s, ratio %.3f; target at most "
                "1.02)\n",
                megabytes, seconds, plainSeconds, seconds / plainSeconds);
    std::printf("window: window thread served %lld ticks, longest gap %lld ms (target under 100 ms); progress line "
                "changed %lld times, %.1f a second (target at least 4)\n",
                static_cast<long long>(ticks), static_cast<long long>(longest), static_cast<long long>(lineChanges),
                static_cast<double>(lineChanges) / seconds);
    std::string cleanup = "rm -rf '" + work + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}

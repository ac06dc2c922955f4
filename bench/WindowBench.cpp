// The window during a long batch: encrypts one large file for oneself from
// the main window (on its worker), once while a timer on the window's thread
// repaints the window every 5 ms (longest gap between two ticks, how often the
// progress line changed), then three times as a user's window runs it, each
// beside the same batch without the window. Usage: window_bench WORK_FOLDER [MEGABYTES]
#include "SilentInteraction.h"
#include "ui/main/CTessaryDlg.h"
#include "ui/shared/UiThreadInteraction.h"
#include "workbench/AppSession.h"
#include "workbench/WorkbenchCommands.h"
#include "workbench/WorkbenchSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

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

    const std::string container = plain + ".klx";
    // Each run makes a new container from clean page cache, as a user's batch does.
    auto freshStart = [&] {
        ::unlink(container.c_str());
        ::sync();
    };
    auto withoutWindow = [&] {
        freshStart();
        QElapsedTimer clock;
        clock.start();
        mvx::WorkbenchSession alone(session.messenger(), session.settings(), session.keys(), true);
        mvx::WorkbenchCommands(alone.context()).encryptForOneself({plain});
        return static_cast<double>(clock.elapsed()) / 1000.0;
    };

    mvx::ui::CTessaryDlg window(session);
    auto* progressLine = window.findChild<QLabel*>("progressText");
    window.show();
    QObject::connect(&window, &mvx::ui::CTessaryDlg::batchFinished, &app, &QApplication::quit);
    // stressTicks: a timer repaints the window every 5 ms and records the
    // longest gap between two ticks; without it the window only does what a
    // user's window does (the progress line).
    struct WindowRun {
        double seconds = 0;
        qint64 ticks = 0, longestGap = 0, lineChanges = 0;
    };
    auto inWindow = [&](bool stressTicks) {
        freshStart();
        WindowRun run;
        QElapsedTimer clock;
        qint64 last = 0;
        QString lastLine;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.elapsed();
            run.longestGap = std::max(run.longestGap, now - last);
            last = now;
            ++run.ticks;
            if (progressLine->text() != lastLine) {
                lastLine = progressLine->text();
                ++run.lineChanges;
            }
            if (stressTicks)
                window.update();
        });
        clock.start();
        tick.start(stressTicks ? 5 : 20);
        window.runBatch(
            [&](mvx::BatchContext& context) { mvx::WorkbenchCommands(context).encryptForOneself({plain}); });
        QApplication::exec();
        run.seconds = static_cast<double>(clock.elapsed()) / 1000.0;
        return run;
    };

    const WindowRun stressed = inWindow(true);
    std::vector<double> alone;
    std::vector<WindowRun> windowed;
    for (int i = 0; i < 3; ++i) {  // interleaved, so a busy moment hits both alike
        alone.push_back(withoutWindow());
        windowed.push_back(inWindow(false));
    }
    std::sort(alone.begin(), alone.end());
    std::sort(windowed.begin(), windowed.end(),
              [](const WindowRun& a, const WindowRun& b) { return a.seconds < b.seconds; });
    const WindowRun& middle = windowed[1];
    std::printf("window: encryption of %ld MiB, median of 3 interleaved runs: %.2f s in the window (progress line "
                "%.1f times a second), %.2f s without it, ratio %.3f (target at most 1.02)\n",
                megabytes, middle.seconds, static_cast<double>(middle.lineChanges) / middle.seconds, alone[1],
                middle.seconds / alone[1]);
    std::printf("window: repainted every 5 ms during the batch (%.2f s), the window thread served %lld ticks, "
                "longest gap %lld ms (target under 100 ms); progress line changed %lld times, %.1f a second "
                "(target at least 4)\n",
                stressed.seconds, static_cast<long long>(stressed.ticks), static_cast<long long>(stressed.longestGap),
                static_cast<long long>(stressed.lineChanges),
                static_cast<double>(stressed.lineChanges) / stressed.seconds);
    std::string cleanup = "rm -rf '" + work + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}

// The window during a long batch: encrypts one large file for oneself from
// the main window (on its worker) while a timer on the window's thread
// repaints the window every 5 ms, and prints the longest gap between two
// ticks. Usage: window_bench WORK_FOLDER [MEGABYTES]
#include "app/IInteraction.h"
#include "ui/CTessaryDlg.h"
#include "ui/UiThreadInteraction.h"
#include "workbench/AppSession.h"
#include "workbench/WorkbenchCommands.h"

#include <QApplication>
#include <QElapsedTimer>
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

    mvx::ui::CTessaryDlg window(session);
    window.show();
    QElapsedTimer clock;
    qint64 last = 0, longest = 0, ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        ++ticks;
        window.update();
    });
    QObject::connect(&window, &mvx::ui::CTessaryDlg::batchFinished, &app, &QApplication::quit);
    clock.start();
    tick.start(5);
    window.runBatch([&](mvx::BatchContext& context) { mvx::WorkbenchCommands(context).encryptForOneself({plain}); });
    QApplication::exec();
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    std::printf("window: encryption of %ld MiB took %.2f s; window thread served %lld ticks, longest gap %lld ms "
                "(target under 100 ms)\n",
                megabytes, seconds, static_cast<long long>(ticks), static_cast<long long>(longest));
    std::string cleanup = "rm -rf '" + work + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}

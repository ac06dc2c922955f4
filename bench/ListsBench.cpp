// How long the window's lists take to open with many rows, each beside the
// same list empty: the file pane on a folder of 100,000 files (time to its
// first painted screen and the longest stall of the window's thread until
// every row is there), the studio list with 10,000 paths, the main window,
// destination-list window and destination selection over a folder of 5,000
// destinations, and the history viewer with 10,000 events.
// Usage: lists_bench WORK_FOLDER
#include "keys/CKeyManager.h"
#include "keys/KeyFileNames.h"
#include "SilentInteraction.h"
#include "ui/containers/CKeyListSel.h"
#include "ui/containers/CKlxHistoryViewDlg.h"
#include "ui/keys/CKeyChainList.h"
#include "ui/main/CTessaryDlg.h"
#include "ui/main/FilePaneView.h"
#include "ui/main/StudioListWidget.h"
#include "ui/shared/UiThreadInteraction.h"
#include "workbench/AppSession.h"
#include "workbench/CandidateList.h"
#include "workbench/DestinationChoiceRules.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct Opening {
    double firstPaintMs = 0;  // from the start of the opening to its first painted screen
    double allRowsMs = 0;     // until every row is in the list
    double longestStallMs = 0;  // the longest time the window's thread did not serve its timer
};

// Records when the watched widget has finished its first paint.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget* widget, std::function<void()> painted) : painted_(std::move(painted))
    {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_) {
            seen_ = true;
            QTimer::singleShot(0, this, painted_);  // after the paint itself
        }
        return false;
    }

private:
    std::function<void()> painted_;
    bool seen_ = false;
};

// open() makes and shows the window (or shows the list); rows() counts the
// rows shown so far, expected the rows the list ends with.
Opening measure(const std::function<QWidget*()>& open, const std::function<int()>& rows, int expected)
{
    Opening result;
    QElapsedTimer clock;
    qint64 lastTick = 0;
    QTimer tick;
    bool painted = false;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        result.longestStallMs = std::max(result.longestStallMs, static_cast<double>(now - lastTick) / 1e6);
        lastTick = now;
        if (painted && rows() >= expected && result.allRowsMs == 0) {
            result.allRowsMs = static_cast<double>(now) / 1e6;
            QApplication::exit(0);
        }
    });
    tick.start(5);
    clock.start();
    QWidget* widget = open();
    PaintWatch watch(widget, [&] {
        painted = true;
        result.firstPaintMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    });
    widget->update();
    QTimer giveUp;  // ends with this opening, not a later one
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QApplication::exit(1); });
    giveUp.start(120000);
    QApplication::exec();
    return result;
}

int rowsOf(QAbstractItemView* view) { return view->model()->rowCount(); }

void makeFiles(const std::string& folder, int count)
{
    std::filesystem::create_directories(folder);
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "/photo-" + std::to_string(100000 + i) + (i % 10 == 0 ? ".jpg.klx" : ".jpg");
        ::close(::open(path.c_str(), O_CREAT | O_WRONLY, 0600));
    }
}

void print(const char* what, int rows, const Opening& full, const Opening& empty)
{
    std::printf("lists: %-34s %6d rows: first screen %7.1f ms, all rows %7.1f ms, longest stall %7.1f ms"
                "  | empty: %6.1f ms, stall %6.1f ms\n",
                what, rows, full.firstPaintMs, full.allRowsMs, full.longestStallMs, empty.firstPaintMs,
                empty.longestStallMs);
    std::fflush(stdout);
}

// A key folder holding count plain public keys, listed in its member file.
void makeDestinations(mvx::AppSession& session, int count)
{
    std::vector<mvx::CKeyManager::UserData> records;
    for (int i = 0; i < count; ++i) {
        mvx::CKeyManager::UserData record;
        record.displayName = "Partner " + std::to_string(i);
        record.mail = "partner" + std::to_string(i) + "@example.org";
        record.fileName = "partner" + std::to_string(i) + mvx::KeyFileNames::kPublicEnding;
        records.push_back(record);
    }
    const std::string folder = session.keys().keyFolder();
    mvx::CKeyManager::saveMemberFile(folder + mvx::KeyFileNames::kPublicMemberFile, records);
    for (const auto& record : records)
        ::close(::open((folder + record.fileName).c_str(), O_CREAT | O_WRONLY, 0600));
}

struct Sessions {
    SilentInteraction silent;
    mvx::ui::UiThreadInteraction interaction{silent};
    std::unique_ptr<mvx::AppSession> session;
    Sessions(const std::string& home, int destinations)
    {
        session = std::make_unique<mvx::AppSession>(interaction, home + "/home", "en");
        session->makeKeySet({home + "/keys/", "bench", "Bench", "bench@example.org"});
        makeDestinations(*session, destinations);
    }
};

template <typename View>
View* child(QWidget* window, const char* name)
{
    return window->findChild<View*>(name);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: lists_bench WORK_FOLDER\n");
        return 2;
    }
    const std::string work = std::string(argv[1]) + "/mvx-lists-bench-" + std::to_string(::getpid());
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    auto filePane = [&](int files) {
        const std::string folder = work + "/files-" + std::to_string(files);
        makeFiles(folder, files);
        ::sync();
        mvx::ui::FilePaneView pane;
        pane.resize(460, 600);
        return measure(
            [&] {
                pane.show();
                pane.showFolder(QString::fromStdString(folder));
                return static_cast<QWidget*>(&pane);
            },
            [&] { return rowsOf(pane.list()); }, files);
    };
    const Opening noFiles = filePane(0);
    for (int files : {2000, 10000, 100000})
        print("file pane, a folder of files", files, filePane(files), noFiles);

    auto studio = [&](int count) {
        std::vector<std::string> paths;
        for (int i = 0; i < count; ++i)
            paths.push_back(work + "/files-100000/photo-" + std::to_string(100000 + i) + ".jpg");
        mvx::ui::StudioListWidget list;
        list.resize(460, 400);
        return measure(
            [&] {
                list.show();
                list.showPaths(paths);
                return static_cast<QWidget*>(&list);
            },
            [&] { return rowsOf(&list); }, count);
    };
    print("studio list, paths", 10000, studio(10000), studio(0));

    Sessions none(work + "/none", 0);
    Sessions many(work + "/many", 5000);
    auto mainWindow = [&](Sessions& sessions, int rows) {
        std::unique_ptr<mvx::ui::CTessaryDlg> window;
        return measure(
            [&] {
                window = std::make_unique<mvx::ui::CTessaryDlg>(*sessions.session);
                window->show();
                return static_cast<QWidget*>(window.get());
            },
            [&] { return rowsOf(child<QAbstractItemView>(window.get(), "candidateList")); }, rows);
    };
    print("main window, candidate list", 5000, mainWindow(many, 5000), mainWindow(none, 0));

    auto keyChainWindow = [&](Sessions& sessions, int rows) {
        mvx::ui::CTessaryDlg window(*sessions.session);
        return measure(
            [&] {
                window.showKeyChainList();
                return static_cast<QWidget*>(window.keyChainWindow());
            },
            [&] { return rowsOf(child<QAbstractItemView>(window.keyChainWindow(), "entryList")); }, rows);
    };
    print("destination-list window, entries", 5000, keyChainWindow(many, 5000), keyChainWindow(none, 0));

    auto selection = [&](Sessions& sessions, int rows) {
        auto& session = *sessions.session;
        mvx::DestinationListEditor list(session.messenger(), session.keys(), [](auto&, bool) { return false; });
        mvx::CandidateList candidates(list);
        candidates.show();
        mvx::DestinationChoiceRules chosen(false);
        std::unique_ptr<mvx::ui::CKeyListSel> dialog;
        return measure(
            [&] {
                dialog = std::make_unique<mvx::ui::CKeyListSel>(chosen, candidates, session.messenger());
                dialog->show();
                return static_cast<QWidget*>(dialog.get());
            },
            [&] { return rowsOf(child<QAbstractItemView>(dialog.get(), "candidateList")); }, rows);
    };
    print("destination selection, candidates", 5000, selection(many, 5000), selection(none, 0));

    auto history = [&](int events) {
        mvx::HistoryViewer::View view{"report.pdf.klx", work + "/", {}};
        for (int i = 0; i < events; ++i)
            view.rows.push_back({"2026/12/" + std::to_string(1 + i % 28) + " 10:" + std::to_string(10 + i % 50),
                                 i % 3 ? "Browse" : "Update", "Partner " + std::to_string(i % 97),
                                 "partner" + std::to_string(i % 97) + "@example.org"});
        std::unique_ptr<mvx::ui::CKlxHistoryViewDlg> dialog;
        return measure(
            [&] {
                dialog = std::make_unique<mvx::ui::CKlxHistoryViewDlg>(none.session->messenger().table(), view);
                dialog->show();
                return static_cast<QWidget*>(dialog.get());
            },
            [&] { return rowsOf(child<QAbstractItemView>(dialog.get(), "historyRows")); }, events);
    };
    print("history viewer, events", 10000, history(10000), history(0));

    std::string cleanup = "rm -rf '" + work + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}

#include "WindowFixture.h"

#include "app/CommandLine.h"
#include "app/IClipboardText.h"
#include "app/SingleInstance.h"
#include "ui/app/QtAppFrame.h"
#include "ui/containers/CKeyListSel.h"
#include "ui/shared/QtInteraction.h"
#include "workbench/CTessaryApp.h"
#include "workbench/WorkbenchCommands.h"

#include <QDialog>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <set>

using mvx::test::WindowFixture;
namespace fs = std::filesystem;

namespace {

struct NoClipboard : mvx::IClipboardText {
    std::optional<std::string> text(Failure& failure) override
    {
        failure = Failure::NoText;
        return std::nullopt;
    }
    void clear() override {}
};

// The program's start as the file manager starts it: the words after the
// program name (temp/ in front of each file), and what the start must do.
struct SwitchRow {
    const char* name;
    std::vector<const char*> words;
    std::vector<const char*> made;     // files there afterwards
    std::vector<const char*> gone;     // files no longer there
    const char* dialog = nullptr;      // the dialog that opens
    int studio = -1;                   // the studio list's rows, with the window left open
};

const SwitchRow kSwitches[] = {
    {"-E encrypts every file given", {"-E", "a.txt", "b c.txt"}, {"a.txt.klx", "b c.txt.klx"}, {}, "CKeyListSel"},
    {"-D decrypts every file given", {"-D", "x.txt.klx", "y z.txt.klx"}, {"x.txt", "y z.txt"}, {}},
    {"-K deletes every file given", {"-K", "a.txt", "b c.txt"}, {}, {"a.txt", "b c.txt"}},
    {"-H shows the logs of the files given", {"-H", "x.txt.klx", "y z.txt.klx"}, {}, {}, "CHistoryFileSelector"},
    {"-T forwards the files given", {"-T", "x.txt.klx", "y z.txt.klx"}, {}, {}, "CTransportKlxSelDlg"},
    {"a single path goes to the studio list", {"b c.txt"}, {}, {}, nullptr, 1},
    {"no words: the window", {}, {}, {}, nullptr, 0},
};

} // namespace

class StartSwitchesTest : public QObject {
    Q_OBJECT

private slots:
    void eachSwitchServesItsRequest_data()
    {
        QTest::addColumn<int>("row");
        for (size_t i = 0; i < std::size(kSwitches); ++i)
            QTest::newRow(kSwitches[i].name) << static_cast<int>(i);
    }

    void eachSwitchServesItsRequest()
    {
        QFETCH(int, row);
        const SwitchRow& request = kSwitches[row];
        WindowFixture f;
        const std::string folder = f.temp.file("work/");
        makeFiles(f);
        f.window.reset();
        f.script.setDefaultContinue(0);  // delete, overwrite: yes
        f.script.setDefaultYesNo(true);  // without oneself among the destinations: encrypt all the same
        f.script.clear();

        std::set<std::string> opened;
        QTimer modal;
        QObject::connect(&modal, &QTimer::timeout, [&] { answerModal(opened); });
        modal.start(20);

        mvx::ui::QtInteraction dialogs;
        bool closed = false;
        mvx::ui::QtAppFrame frame(*f.session, dialogs, [&closed] { closed = true; });
        mvx::CTessaryApp app(*f.session, frame, f.temp.file("data"));
        mvx::SingleInstance instance(f.temp.file("home"));
        NoClipboard clipboard;
        std::vector<std::string> words;
        for (const char* word : request.words)
            words.push_back(word[0] == '-' ? std::string(word) : folder + word);
        const bool started = app.start(mvx::CommandLine::parse(words), instance, clipboard);
        QVERIFY2(started, f.script.texts().empty() ? "" : f.script.texts().back().c_str());
        mvx::ui::CTessaryDlg* window = frame.window();
        QVERIFY(window);
        if (window->batchRunning()) {
            QSignalSpy finished(window, &mvx::ui::CTessaryDlg::batchFinished);
            QVERIFY(finished.wait(60000));
        }
        QTest::qWait(100);
        modal.stop();

        for (const char* name : request.made)
            QVERIFY2(f.exists(folder + name), name);
        for (const char* name : request.gone)
            QVERIFY2(!f.exists(folder + name), name);
        if (request.dialog)
            QVERIFY2(opened.count(request.dialog), request.dialog);
        if (request.studio >= 0) {
            QVERIFY(!closed && window->isVisible());
            QCOMPARE(window->findChild<QListWidget*>("studioList")->count(), request.studio);
        } else {
            QVERIFY(closed);  // a request served, the program ends
        }
    }

private:
    // Two plain files, and two containers for oneself whose plain files are gone.
    static void makeFiles(WindowFixture& f)
    {
        const std::string x = f.write("work/x.txt", "x"), y = f.write("work/y z.txt", "y z");
        QSignalSpy finished(f.window.get(), &mvx::ui::CTessaryDlg::batchFinished);
        QVERIFY(f.window->runBatch(
            [=](mvx::BatchContext& context) { mvx::WorkbenchCommands(context).encryptForOneself({x, y}); }));
        QVERIFY(finished.wait(60000));
        fs::remove(x);
        fs::remove(y);
        f.write("work/a.txt", "a");
        f.write("work/b c.txt", "b c");
    }

    // The destinations get Pat; every other dialog is recorded and closed.
    static void answerModal(std::set<std::string>& opened)
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        opened.insert(dialog->objectName().toStdString());
        if (auto* destinations = qobject_cast<mvx::ui::CKeyListSel*>(dialog)) {
            auto* candidates = destinations->findChild<QTreeWidget*>("candidateList");
            const auto pat = candidates->findItems("Pat", Qt::MatchExactly, 0);
            if (!pat.isEmpty()) {
                emit candidates->itemActivated(pat.first(), 0);
                QTest::mouseClick(destinations->findChild<QPushButton*>("ok"), Qt::LeftButton);
                return;
            }
        }
        dialog->reject();
    }
};

QTEST_MAIN(StartSwitchesTest)
#include "StartSwitchesTest.moc"

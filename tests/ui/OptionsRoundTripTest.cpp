#include "WindowFixture.h"

#include "app/Msg.h"
#include "ui/main/COptions.h"
#include "workbench/ProtectedFolder.h"
#include "workbench/WorkbenchCommands.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <functional>

using mvx::test::WindowFixture;
using mvx::test::whenModalShows;
namespace fs = std::filesystem;

namespace {

// What a user does in the options dialog: a box ticked, or a field typed.
struct Edit {
    const char* control;
    const char* text = nullptr;  // a field's new text; temp/ in front of it
};

// An option changed in the dialog, the lines it leaves in the settings file,
// and what the program then does differently.
struct OptionRow {
    const char* name;
    std::vector<Edit> edits;
    std::vector<const char*> savedLines;  // temp/ in front of a path after '='
    std::function<void(WindowFixture&, const mvx::OptionsChange&)> behaves;
};

void press(QWidget* dialog, const char* button)
{
    auto* found = dialog->findChild<QAbstractButton*>(button);
    QVERIFY2(found && found->isEnabled(), button);
    QTest::mouseClick(found, Qt::LeftButton);
}

void runBatch(WindowFixture& f, std::function<void(mvx::BatchContext&)> job)
{
    QSignalSpy finished(f.window.get(), &mvx::ui::CTessaryDlg::batchFinished);
    QVERIFY(f.window->runBatch(std::move(job)));
    QVERIFY(finished.count() > 0 || finished.wait(60000));
}

void encryptForOneself(WindowFixture& f, const std::string& plain)
{
    runBatch(f, [plain](mvx::BatchContext& context) { mvx::WorkbenchCommands(context).encryptForOneself({plain}); });
}

const std::vector<OptionRow>& optionRows()
{
    static const std::vector<OptionRow> rows = {
        {"plain files deleted after encryption",
         {{"deleteCheck1"}},
         {"DeleteCheck1=1"},
         [](WindowFixture& f, const mvx::OptionsChange&) {
             const std::string plain = f.write("work/a.txt", "a");
             f.script.answerYesNo(true);
             encryptForOneself(f, plain);
             QVERIFY(f.exists(plain + ".klx"));
             QVERIFY(!f.exists(plain));
         }},
        {"containers deleted after decryption",
         {{"deleteCheck2"}},
         {"DeleteCheck2=1"},
         [](WindowFixture& f, const mvx::OptionsChange&) {
             const std::string plain = f.write("work/b.txt", "b");
             encryptForOneself(f, plain);
             fs::remove(plain);
             f.script.answerSavePath(plain);
             const std::string folder = f.temp.file("work");
             runBatch(f, [folder](mvx::BatchContext& context) {
                 mvx::WorkbenchCommands(context).decryptSelected(folder, {"b.txt.klx"});
             });
             QCOMPARE(f.read(plain), std::string("b"));
             QVERIFY(!f.exists(plain + ".klx"));
         }},
        {"containers written to the chosen folder",
         {{"destPath1", "out/"}},
         {"DestPath1=out/"},
         [](WindowFixture& f, const mvx::OptionsChange&) {
             const std::string plain = f.write("work/c.txt", "c");
             encryptForOneself(f, plain);
             QVERIFY(f.exists(f.temp.file("out/c.txt.klx")));
             QVERIFY(!f.exists(plain + ".klx"));
         }},
        {"protected folder with the idle timer",
         {{"encAndDec"}, {"destPath2", "vault/"}},
         {"EncAndDec=1", "UseTimer=1", "DestPath2=vault/"},
         [](WindowFixture&, const mvx::OptionsChange& change) { QVERIFY(change.idleTimerArmed); }},
        {"protected folder without the idle timer",
         {{"encAndDec"}, {"destPath2", "vault/"}, {"useTimer"}},
         {"EncAndDec=1", "UseTimer=0"},
         [](WindowFixture&, const mvx::OptionsChange& change) { QVERIFY(!change.idleTimerArmed); }},
        {"containers kept at the protected folder's decryption",
         {{"encAndDec"}, {"destPath2", "vault/"}, {"klxKeep"}},
         {"KlxKeep=1"},
         [](WindowFixture& f, const mvx::OptionsChange&) {
             const std::string plain = f.write("vault/d.txt", "d");
             encryptForOneself(f, plain);
             fs::remove(plain);
             const std::string vault = f.temp.file("vault/");
             runBatch(f, [vault](mvx::BatchContext& context) { mvx::ProtectedFolder(context, vault).decryptAtStart(); });
             QCOMPARE(f.read(plain), std::string("d"));
             QVERIFY(f.exists(plain + ".klx"));
         }},
        {"a folder beside the key root whose name begins with the root's",
         {{"encAndDec"}, {"destPath2", "keys2/"}},
         {"DestPath2=keys2/"},
         [](WindowFixture& f, const mvx::OptionsChange&) {
             QVERIFY(!f.script.showed(f.session->messenger().text(mvx::Msg::KeyOrNetworkFolderChosen)));
         }},
    };
    return rows;
}

} // namespace

class OptionsRoundTripTest : public QObject {
    Q_OBJECT

private slots:
    void eachOptionIsSavedAndFollowed_data()
    {
        QTest::addColumn<int>("row");
        for (size_t i = 0; i < optionRows().size(); ++i)
            QTest::newRow(optionRows()[i].name) << static_cast<int>(i);
    }

    void eachOptionIsSavedAndFollowed()
    {
        QFETCH(int, row);
        const OptionRow& option = optionRows()[static_cast<size_t>(row)];
        WindowFixture f;
        for (const char* folder : {"out", "vault", "keys2"})
            fs::create_directories(f.temp.file(folder));
        QSignalSpy applied(f.window.get(), &mvx::ui::CTessaryDlg::optionsApplied);
        whenModalShows<mvx::ui::COptions>([&](mvx::ui::COptions* dialog) {
            for (const Edit& edit : option.edits) {
                if (!edit.text) {
                    WindowFixture::tick(dialog->findChild<QCheckBox*>(edit.control));
                    continue;
                }
                auto* field = dialog->findChild<QLineEdit*>(edit.control);
                QVERIFY2(field && field->isEnabled(), edit.control);
                field->clear();
                QTest::keyClicks(field, QString::fromStdString(f.temp.file(edit.text)));
            }
            press(dialog, "ok");
            const auto& told = f.script.shown();
            QVERIFY2(!dialog->isVisible(), told.empty() ? "" : told.back().text.c_str());
        });
        f.action("actionSettings")->trigger();
        QCOMPARE(applied.count(), 1);
        const std::string saved = f.settingsText();
        for (const std::string line : option.savedLines) {
            const size_t equals = line.find('=');
            const std::string wanted = line.find('/') == std::string::npos
                                           ? line
                                           : line.substr(0, equals + 1) + f.temp.file(line.substr(equals + 1));
            QVERIFY2(saved.find(wanted + "\n") != std::string::npos || saved.find(wanted + "\r\n") != std::string::npos,
                     wanted.c_str());
        }
        option.behaves(f, applied.first().first().value<mvx::OptionsChange>());
    }
};

QTEST_MAIN(OptionsRoundTripTest)
#include "OptionsRoundTripTest.moc"

#include "WindowFixture.h"

#include "app/Msg.h"
#include "ui/containers/CEncryptOptDlg.h"
#include "ui/containers/CKeyListSel.h"
#include "ui/main/CTessaryDialogMini.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QUrl>

#include <filesystem>

using mvx::test::ScriptedInteraction;
using mvx::test::WindowFixture;
using mvx::test::whenModalShows;
using Kind = mvx::test::ScriptedInteraction::Kind;

namespace {

QStringList listTexts(const QTreeView* list)
{
    QStringList texts;
    for (int i = 0; i < list->model()->rowCount(); ++i)
        texts << list->model()->index(i, 0).data().toString();
    return texts;
}

QStringList listTexts(const QListWidget* list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture = std::make_unique<WindowFixture>(); }
    void cleanup() { fixture.reset(); }

    // A user collects a file, picks two destinations, encrypts, and decrypts
    // the container again from the file pane.
    void encryptForPartnersAndDecryptFromTheFilePane()
    {
        WindowFixture& f = *fixture;
        const std::string plain = f.write("work/report.txt", "quarterly figures");
        f.showFolder(f.temp.file("work"));
        auto* files = f.find<QTreeView>("fileList");
        f.click(files, "report.txt");
        f.clickButton("addToStudio");
        QCOMPARE(listTexts(f.find<QListWidget>("studioList")), QStringList{QString::fromStdString(plain)});

        auto* candidates = f.find<QTreeWidget>("candidateList");
        auto* addresses = f.find<QTreeWidget>("addressList");
        f.doubleClick(candidates, "Pat");
        f.doubleClick(candidates, "Pat");
        f.click(candidates, QString::fromStdString(f.session->messenger().text(mvx::Msg::SelfEncryptionDisplayName)));
        f.clickButton("addToAddressList");
        QCOMPARE(addresses->topLevelItemCount(), 2);  // Pat once, and the own key

        QVERIFY(f.runCommand("actionEncryption"));
        QVERIFY(f.exists(plain + ".klx"));
        QVERIFY(f.script.showed("1 files succeeded encryption."));
        QCOMPARE(f.find<QListWidget>("studioList")->count(), 0);
        QCOMPARE(addresses->topLevelItemCount(), 0);

        std::filesystem::remove(plain);
        f.click(files, "report.txt.klx");
        f.script.answerSavePath(plain);
        QVERIFY(f.runCommand("actionDecryptSelected"));
        QCOMPARE(f.read(plain), std::string("quarterly figures"));
    }

    // "Setting for Encryption" opens the options; a refused number keeps
    // them open, and the folder chosen there receives the container.
    void encryptionOptionsReachTheBatch()
    {
        WindowFixture& f = *fixture;
        const std::string plain = f.write("work/memo.txt", "memo");
        const std::string outFolder = f.temp.file("out/");
        std::filesystem::create_directories(outFolder);
        f.showFolder(f.temp.file("work"));
        f.click(f.find<QTreeView>("fileList"), "memo.txt");
        f.clickButton("addToStudio");
        f.doubleClick(f.find<QTreeWidget>("candidateList"),
                      QString::fromStdString(f.session->messenger().text(mvx::Msg::SelfEncryptionDisplayName)));
        f.tick(f.find<QCheckBox>("settingForEncryption"));
        f.script.answerFolder(outFolder);
        whenModalShows<mvx::ui::CEncryptOptDlg>([&f](mvx::ui::CEncryptOptDlg* dialog) {
            WindowFixture::tick(dialog->findChild<QCheckBox*>("timeLimitOn"));
            auto* number = dialog->findChild<QLineEdit*>("limitNumber");
            number->clear();
            QTest::keyClicks(number, "0");
            QTest::mouseClick(dialog->findChild<QPushButton*>("ok"), Qt::LeftButton);
            QVERIFY(f.script.showed("The range that can set time is 1 to 99."));
            QVERIFY(dialog->isVisible());
            number->clear();
            QTest::keyClicks(number, "2");
            QTest::mouseClick(dialog->findChild<QPushButton*>("changeFolder"), Qt::LeftButton);
            QTest::mouseClick(dialog->findChild<QPushButton*>("ok"), Qt::LeftButton);
        });
        QVERIFY(f.runCommand("actionEncryption"));
        QVERIFY(f.exists(outFolder + "memo.txt.klx"));
        QVERIFY(!f.exists(plain + ".klx"));
    }

    void encryptWithoutDestinationsIsRefused()
    {
        WindowFixture& f = *fixture;
        f.write("work/a.txt", "a");
        f.showFolder(f.temp.file("work"));
        f.click(f.find<QTreeView>("fileList"), "a.txt");
        f.clickButton("addToStudio");
        f.action("actionEncryption")->trigger();
        QVERIFY(f.script.showed("Not set up partner."));
        QVERIFY(!f.exists(f.temp.file("work/a.txt.klx")));
        QCOMPARE(f.find<QListWidget>("studioList")->count(), 1);
    }

    void filePaneFolderUpFilterAndRefresh()
    {
        WindowFixture& f = *fixture;
        f.write("work/sub/inner.txt", "x");
        const std::string plain = f.write("work/a.txt", "a");
        f.write("work/b.txt.klx", "not really a container");
        f.showFolder(f.temp.file("work"));
        auto* files = f.find<QTreeView>("fileList");
        auto* up = f.find<QToolButton>("upFolder");
        QVERIFY(!up->isEnabled());
        f.doubleClick(files, "sub");
        QCOMPARE(listTexts(files), QStringList{"inner.txt"});
        QVERIFY(up->isEnabled());
        QTest::mouseClick(up, Qt::LeftButton);
        QVERIFY(!up->isEnabled());
        QCOMPARE(listTexts(files), (QStringList{"sub", "a.txt", "b.txt.klx"}));

        f.click(files, "a.txt");
        f.clickButton("addToStudio");
        f.clickButton("addToStudio");
        QVERIFY(f.script.showed("This File or Folder has already been selected."));
        QCOMPARE(f.find<QListWidget>("studioList")->count(), 1);

        f.tick(f.find<QCheckBox>("encryptedOnly"));
        QCOMPARE(listTexts(files), (QStringList{"sub", "b.txt.klx"}));

        std::filesystem::remove(plain);
        QTest::mouseClick(f.find<QToolButton>("refreshFolder"), Qt::LeftButton);
        QCOMPARE(f.find<QListWidget>("studioList")->count(), 0);
    }

    void miniWindowRoundTrip()
    {
        WindowFixture& f = *fixture;
        f.action("actionMiniaturization")->trigger();
        auto* mini = f.window->miniWindow();
        QVERIFY(!f.window->isVisible());
        QVERIFY(f.settingsText().find("UseSmallMenu=1") != std::string::npos);
        mini->move(50, 60);
        QTest::mouseClick(mini->findChild<QPushButton*>("miniReturn"), Qt::LeftButton);
        QTRY_VERIFY(f.window->isVisible());
        QVERIFY(!mini->isVisible());
        QCOMPARE(f.session->settings().useSmallMenu, 0);
        QCOMPARE(f.session->settings().smallMenuPositionX, mini->pos().x());
        QVERIFY(f.settingsText().find("UseSmallMenu=0") != std::string::npos);
    }

    // A plain file dropped on the mini window asks for destinations; OK
    // without one is refused, then the chosen partner gets the container.
    void dropOnMiniWindowChoosesDestinations()
    {
        WindowFixture& f = *fixture;
        const std::string plain = f.write("drop/letter.txt", "dear Pat");
        f.action("actionMiniaturization")->trigger();
        auto* mini = f.window->miniWindow();
        f.script.answerYesNo(true);  // encrypt although the own key is not a destination
        whenModalShows<mvx::ui::CKeyListSel>([&f](mvx::ui::CKeyListSel* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>("ok"), Qt::LeftButton);
            QVERIFY(f.script.showed("Not select partber's address."));
            QVERIFY(dialog->isVisible());
            f.doubleClick(dialog->findChild<QTreeWidget*>("candidateList"), "Pat");
            QCOMPARE(dialog->findChild<QTreeWidget*>("chosenList")->topLevelItemCount(), 1);
            QTest::mouseClick(dialog->findChild<QPushButton*>("ok"), Qt::LeftButton);
        });

        QSignalSpy finished(f.window.get(), &mvx::ui::CTessaryDlg::batchFinished);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(plain))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(mini, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(mini, &drop);
        QVERIFY(finished.count() > 0 || finished.wait(60000));
        QVERIFY(f.exists(plain + ".klx"));
    }

    // Stop during a batch: the file in hand is abandoned with its older
    // output kept, the files after it are not started, no plain file is lost.
    void stopLeavesTheFilesAsTheyWere()
    {
        WindowFixture& f = *fixture;
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            f.write(std::string("many/") + name, name);
        f.write("many/c.txt.klx", "an older output");
        f.showFolder(f.temp.file("many"));
        auto* files = f.find<QTreeView>("fileList");
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            f.click(files, name);
        f.clickButton("addToStudio");
        f.doubleClick(f.find<QTreeWidget>("candidateList"),
                      QString::fromStdString(f.session->messenger().text(mvx::Msg::SelfEncryptionDisplayName)));

        // The first file processed asks to overwrite; the user presses Stop
        // in the window meanwhile and then answers Yes.
        f.script.answerContinue(0);
        f.script.beforeContinueConfirm = [&f] { QTest::mouseClick(f.find<QPushButton>("stopBatch"), Qt::LeftButton); };
        QVERIFY(f.runCommand("actionEncryption"));
        QCOMPARE(f.read(f.temp.file("many/c.txt.klx")), std::string("an older output"));
        QVERIFY(!f.exists(f.temp.file("many/a.txt.klx")));
        QVERIFY(!f.exists(f.temp.file("many/b.txt.klx")));
        for (const char* name : {"a.txt", "b.txt", "c.txt"})
            QCOMPARE(f.read(f.temp.file(std::string("many/") + name)), std::string(name));
        QVERIFY(!f.script.showed("1 files succeeded encryption."));
    }

private:
    std::unique_ptr<WindowFixture> fixture;
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"

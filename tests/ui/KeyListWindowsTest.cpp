#include "WindowFixture.h"

#include "app/Msg.h"
#include "keys/DateTexts.h"
#include "keys/DestinationListEditor.h"
#include "keys/KeyAuthenticator.h"
#include "platform/Clock.h"
#include "ui/keys/CAuthkeyCompleteDlg.h"
#include "ui/keys/CAuthKeyLimitSetDlg.h"
#include "ui/keys/CKeyChain.h"
#include "ui/keys/CKeyChainList.h"
#include "ui/keys/CKeyChainList_Add.h"
#include "ui/keys/COutdatedAuthKeyReportDlg.h"
#include "ui/main/CTessaryDialogMini.h"

#include <QAction>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <cstdlib>
#include <filesystem>

using mvx::test::ScriptedInteraction;
using mvx::test::WindowFixture;
using mvx::test::whenModalShows;

namespace {

QStringList listTexts(const QTreeWidget* list, int column = 0)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

void press(QWidget* dialog, const char* button)
{
    auto* found = dialog->findChild<QPushButton*>(button);
    QVERIFY2(found && found->isEnabled(), button);
    QTest::mouseClick(found, Qt::LeftButton);
}

// A user who owns a key set of his own, in temp/NAME-keys.
std::string makeKeySet(const WindowFixture& f, const std::string& name)
{
    ScriptedInteraction quiet;
    mvx::AppSession other(quiet, f.temp.file(name + "-home"), "en");
    other.makeKeySet({f.temp.file(name + "-keys/"), name, name, name + "@example.org"});
    return other.keys().ownPublicKeyPath();
}

} // namespace

class KeyListWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture = std::make_unique<WindowFixture>(); }
    void cleanup() { fixture.reset(); }

    // A key is registered into a new folder's parent, cut and pasted into the
    // folder, and deleted; the key files and member files follow every step.
    void registerMoveAndDeleteEntries()
    {
        WindowFixture& f = *fixture;
        const std::string quinnKey = makeKeySet(f, "quinn");
        const std::string keyFolder = f.session->keys().keyFolder();
        f.action("actionKeyChainList")->trigger();
        mvx::ui::CKeyChainList* window = f.window->keyChainWindow();
        QVERIFY(window && window->isVisible());
        auto* entries = window->findChild<QTreeWidget*>("entryList");
        const QString oneself =
            QString::fromStdString(f.session->messenger().text(mvx::Msg::SelfEncryptionDisplayName)) + " (oneself)";
        QCOMPARE(listTexts(entries), QStringList({oneself, "Pat"}));
        f.action("actionJapanese")->trigger();
        QCOMPARE(window->findChild<QPushButton*>("makeFolder")->text(), QString("フォルダの作成"));
        f.action("actionEnglish")->trigger();
        QCOMPARE(window->findChild<QPushButton*>("makeFolder")->text(), QString("Make Folder"));

        whenModalShows<QInputDialog>([](QInputDialog* ask) {
            ask->setTextValue("friends");
            ask->accept();
        });
        press(window, "makeFolder");
        QVERIFY(std::filesystem::is_directory(keyFolder + "friends"));
        QVERIFY(listTexts(entries).contains("friends"));

        f.script.answerFiles({quinnKey});
        whenModalShows<mvx::ui::CKeyChainList_Add>([](mvx::ui::CKeyChainList_Add* dialog) {
            whenModalShows<mvx::ui::CKeyChainList_Add>([](mvx::ui::CKeyChainList_Add* again) {
                QTest::keyClicks(again->findChild<QLineEdit*>("entryName"), "Quinn");
                QTest::keyClicks(again->findChild<QLineEdit*>("entryMail"), "quinn@example.org");
                press(again, "ok");
            });
            press(dialog, "ok");  // no name yet: refused, and asked again
        });
        press(window, "add");
        QVERIFY(f.script.showed("Set User Name of This Public Key."));
        QVERIFY(listTexts(entries).contains("Quinn"));
        QVERIFY(!f.exists(quinnKey));
        QVERIFY(f.exists(keyFolder + "quinn.kpub"));

        f.click(entries, "Quinn");
        window->findChild<QAction*>("menuCut")->trigger();
        f.doubleClick(entries, "friends");
        QVERIFY(!listTexts(entries).contains("Quinn"));
        window->findChild<QAction*>("menuPaste")->trigger();
        QCOMPARE(listTexts(entries, 2), QStringList({"", "quinn.kpub"}));  // the row back up, and Quinn
        QVERIFY(f.exists(keyFolder + "friends/quinn.kpub"));
        QVERIFY(!f.exists(keyFolder + "quinn.kpub"));
        QVERIFY(f.read(keyFolder + "friends/pubkey_member.dat").find("Quinn") != std::string::npos);
        QVERIFY(f.read(keyFolder + "pubkey_member.dat").find("Quinn") == std::string::npos);

        f.script.clear();
        press(window, "delete");
        QVERIFY(f.script.showed("No items were selected!"));
        f.click(entries, "Quinn");
        f.script.answerContinue(0);
        press(window, "delete");
        QVERIFY(!f.exists(keyFolder + "friends/quinn.kpub"));
        QCOMPARE(listTexts(entries).size(), 1);  // the row back to the upper list
        press(window, "close");
        QVERIFY(!window->isVisible());
    }

    // "Create Encrypt File" encrypts the chosen files for the selected entry,
    // with the window's option boxes: logs would need the own key among the
    // destinations, so the box is cleared first.
    void createEncryptFileFromTheWindow()
    {
        WindowFixture& f = *fixture;
        const std::string plain = f.write("work/plan.txt", "plan");
        f.action("actionKeyChainList")->trigger();
        mvx::ui::CKeyChainList* window = f.window->keyChainWindow();
        auto* entries = window->findChild<QTreeWidget*>("entryList");
        f.script.clear();
        press(window, "createEncryptFile");
        QVERIFY(f.script.showed("Not select partber's address."));

        f.click(entries, "Pat");
        WindowFixture::tick(window->findChild<QCheckBox*>("manageLogs"));  // no history without oneself
        f.script.answerFiles({plain});
        QSignalSpy finished(f.window.get(), &mvx::ui::CTessaryDlg::batchFinished);
        press(window, "createEncryptFile");
        QVERIFY(finished.count() > 0 || finished.wait(60000));
        QVERIFY(f.exists(plain + ".klx"));
        QVERIFY(f.exists(plain));
    }

    // Authenticating a partner's public key with an expiry: the key made
    // carries it into the partner's destination list, and the history marks
    // the key as authenticated the next time.
    void authenticatePartnerKeyWithExpiry()
    {
        WindowFixture& f = *fixture;
        const std::string mailed = f.temp.file("mail.txt");
        const std::string mailer =
            f.write("mailer.sh", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > '" + mailed + "'\n");
        std::filesystem::permissions(mailer, std::filesystem::perms::owner_all);
        ::setenv("MORVANEX_MAILER", mailer.c_str(), 1);
        f.script.answerFolder(f.temp.file("pat-keys"));
        whenModalShows<mvx::ui::CKeyChain>([&f](mvx::ui::CKeyChain* choose) {
            press(choose, "changeFolder");
            auto* keys = choose->findChild<QTreeWidget*>("publicKeyList");
            QCOMPARE(listTexts(keys, 1), QStringList{"Not Exist"});
            f.click(keys, "pat.kpub");
            whenModalShows<mvx::ui::CAuthKeyLimitSetDlg>([](mvx::ui::CAuthKeyLimitSetDlg* limit) {
                auto* presets = limit->findChild<QListWidget*>("presetList");
                QVERIFY(!presets->isEnabled());
                QTest::mouseClick(limit->findChild<QRadioButton*>("setLimit"), Qt::LeftButton, {}, QPoint(6, 6));
                QVERIFY(presets->isEnabled());
                QVERIFY(!limit->findChild<QWidget*>("calendar")->isEnabled());
                presets->setCurrentRow(1);
                whenModalShows<mvx::ui::CAuthkeyCompleteDlg>([](mvx::ui::CAuthkeyCompleteDlg* done) {
                    auto* files = done->findChild<QTreeWidget*>("completedFiles");
                    QCOMPARE(listTexts(files), QStringList({"pat.kpub", "mePrivate.kpri", "pat))me-auth.kpub"}));
                    press(done, "sendMail");
                });
                press(limit, "enforce");
            });
            press(choose, "ok");
        });
        f.action("actionAuthentication")->trigger();
        const std::string made = f.temp.file("pat-keys/pat))me-auth.kpub");
        QVERIFY(f.exists(made));
        QTRY_VERIFY(f.read(mailed).find("--attach\n" + made + "\n") != std::string::npos);
        QVERIFY(f.read(mailed).find("--subject\nSending an auth-public key\n") != std::string::npos);
        ::unsetenv("MORVANEX_MAILER");

        ScriptedInteraction quiet;
        mvx::AppSession pat(quiet, f.temp.file("pat-home"), "en");
        mvx::DestinationListEditor patList(pat.messenger(), pat.keys(), nullptr);
        QVERIFY(patList.registerKeyAs(made, {}, "Me", "me@example.org"));
        mvx::SystemTime inAYear = mvx::Clock::now();
        inAYear.year = static_cast<uint16_t>(inAYear.year + 1);
        const auto rows = patList.showFolder().rows;
        const auto me = std::find_if(rows.begin(), rows.end(), [](const auto& row) { return row.name == "Me"; });
        QVERIFY(me != rows.end());
        QCOMPARE(me->expiration, mvx::dateText(inAYear));

        // Next time the key shows as authenticated; Cancel ends the command.
        f.script.answerFolder(f.temp.file("pat-keys"));
        whenModalShows<mvx::ui::CKeyChain>([](mvx::ui::CKeyChain* choose) {
            press(choose, "changeFolder");
            QCOMPARE(listTexts(choose->findChild<QTreeWidget*>("publicKeyList"), 1), QStringList{"Exist"});
            QVERIFY(listTexts(choose->findChild<QTreeWidget*>("authLogList"), 1).contains("pat))me-auth.kpub"));
            press(choose, "cancel");
        });
        f.action("actionAuthentication")->trigger();
    }

    // Key files met where no member file lists them are offered when the
    // window opens; a public key dropped on the mini window is registered.
    void strayAndDroppedKeysAreRegistered()
    {
        WindowFixture& f = *fixture;
        const std::string keyFolder = f.session->keys().keyFolder();
        std::filesystem::copy_file(makeKeySet(f, "sam"), keyFolder + "sam.kpub");
        const std::string quinnKey = makeKeySet(f, "quinn");

        f.action("actionMiniaturization")->trigger();
        auto* mini = f.window->miniWindow();
        whenModalShows<mvx::ui::CKeyChainList_Add>([](mvx::ui::CKeyChainList_Add* dialog) {
            QCOMPARE(dialog->findChild<QLineEdit*>("entryKeyFile")->text().toStdString().substr(0, 1), "/");
            QTest::keyClicks(dialog->findChild<QLineEdit*>("entryName"), "Quinn");
            QTest::keyClicks(dialog->findChild<QLineEdit*>("entryMail"), "quinn@example.org");
            press(dialog, "ok");
        });
        f.script.answerYesNo(true);  // the stray key, offered with the dropped one
        QSignalSpy finished(f.window.get(), &mvx::ui::CTessaryDlg::batchFinished);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(quinnKey))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(mini, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(mini, &drop);
        QVERIFY(finished.count() > 0 || finished.wait(60000));
        QVERIFY(f.script.showed("登録されていない鍵が1個発見されました。これらの鍵を登録しますか？"));

        QTest::mouseClick(mini->findChild<QPushButton*>("miniKeyChainList"), Qt::LeftButton);
        auto* entries = f.window->keyChainWindow()->findChild<QTreeWidget*>("entryList");
        QVERIFY(listTexts(entries).contains("Quinn"));
        QVERIFY(listTexts(entries).contains("sam"));
        QVERIFY(f.exists(keyFolder + "quinn.kpub"));
    }

    // A batch that reads the key folder first offers the stray keys; a No is
    // remembered for the session, also by the destination-list window.
    void strayKeysDeclinedBeforeABatchAreNotOfferedAgain()
    {
        WindowFixture& f = *fixture;
        std::filesystem::copy_file(makeKeySet(f, "sam"), f.session->keys().keyFolder() + "sam.kpub");
        const std::string question = "登録されていない鍵が1個発見されました。これらの鍵を登録しますか？";
        f.script.answerYesNo(false);
        QVERIFY(f.runCommand("actionDecryption"));
        QVERIFY(f.script.showed(question));
        QVERIFY(f.runCommand("actionDecryption"));
        f.action("actionKeyChainList")->trigger();
        const auto texts = f.script.texts();
        QCOMPARE(std::count(texts.begin(), texts.end(), question), 1);
        QVERIFY(!listTexts(f.window->keyChainWindow()->findChild<QTreeWidget*>("entryList")).contains("sam"));
    }

    // A registered key whose expiry has passed is listed in the report.
    void outdatedKeyReported()
    {
        WindowFixture& f = *fixture;
        ScriptedInteraction quiet;
        mvx::AppSession ray(quiet, f.temp.file("ray-home"), "en");
        ray.makeKeySet({f.temp.file("ray-keys/"), "ray", "Ray", "ray@example.org"});
        mvx::KeyAuthenticator::Identity identity{ray.keys().ownPublicKeyPath(), ray.keys().ownPrivateKeyPath(),
                                                 "Ray", "ray@example.org", ray.keys().keyFolder(), {}};
        mvx::SystemTime past;
        past.year = 2020;
        past.month = 1;
        past.day = 31;
        past.hour = 23;
        past.minute = 59;
        past.second = 59;
        const std::string made = mvx::KeyAuthenticator(ray.messenger(), identity, {})
                                     .makeAuthenticatedKey(f.session->keys().ownPublicKeyPath(), past, true);
        QVERIFY(!made.empty());
        mvx::DestinationListEditor(f.session->messenger(), f.session->keys(), nullptr).registerKeyAs(made, {}, "Ray", "ray@example.org");

        bool shown = false;
        whenModalShows<mvx::ui::COutdatedAuthKeyReportDlg>([&shown](mvx::ui::COutdatedAuthKeyReportDlg* report) {
            QCOMPARE(report->windowTitle(), QString("MORVANEX - Ovedue Attestation Key List"));
            auto* list = report->findChild<QTreeWidget*>("outdatedKeyList");
            QCOMPARE(listTexts(list), QStringList{"Ray"});
            QCOMPARE(listTexts(list, 1), QStringList{"me))ray-auth.kpub"});
            QCOMPARE(listTexts(list, 2), QStringList{"2020/01/31"});
            shown = true;
            press(report, "ok");
        });
        f.window->reportOutdatedKeys();
        QVERIFY(shown);
        QVERIFY(f.exists(f.session->keys().keyFolder() + "me))ray-auth.kpub"));
    }

private:
    std::unique_ptr<WindowFixture> fixture;
};

QTEST_MAIN(KeyListWindowsTest)
#include "KeyListWindowsTest.moc"

#include "WindowFixture.h"

#include "app/CLanguage.h"
#include "app/Msg.h"
#include "ui/keys/CKeygenWizard.h"
#include "ui/main/COptionDetailDlg.h"
#include "ui/main/COptions.h"
#include "ui/main/CTessaryDialogMini.h"
#include "workbench/SpecificFolderMark.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>

using mvx::test::ScriptedInteraction;
using mvx::test::WindowFixture;
using mvx::test::whenModalShows;
namespace Msg = mvx::Msg;

namespace {

void press(QWidget* dialog, const char* button)
{
    auto* found = dialog->findChild<QAbstractButton*>(button);
    QVERIFY2(found && found->isEnabled(), button);
    QTest::mouseClick(found, Qt::LeftButton);
}

void type(QWidget* dialog, const char* field, const QString& text)
{
    auto* edit = dialog->findChild<QLineEdit*>(field);
    QVERIFY2(edit, field);
    edit->clear();
    QTest::keyClicks(edit, text);
}

// Closes a dialog that a failed check left open, so the test ends instead of waiting.
struct CloseWhenLeft {
    QDialog* dialog;
    ~CloseWhenLeft()
    {
        if (dialog->isVisible())
            dialog->reject();
    }
};

// A file encrypted for oneself from the file pane comes back unchanged.
void encryptAndDecryptForOneself(WindowFixture& f, const std::string& name)
{
    const std::string plain = f.write("work/" + name, "for my eyes");
    f.showFolder(f.temp.file("work"));
    auto* files = f.find<QTreeView>("fileList");
    f.click(files, QString::fromStdString(name));
    QVERIFY(f.runCommand("actionEncryptSelected"));
    QVERIFY(f.exists(plain + ".klx"));
    std::filesystem::remove(plain);
    f.click(files, QString::fromStdString(name + ".klx"));
    f.script.answerSavePath(plain);
    QVERIFY(f.runCommand("actionDecryptSelected"));
    QCOMPARE(f.read(plain), std::string("for my eyes"));
}

} // namespace

class KeyWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { fixture.reset(); }

    // A first start: Create Key asks for the key root, the wizard refuses a
    // name with a full stop, shows the files it will make, and Finish gives
    // a key set the window encrypts with at once.
    void firstStartWalksTheWizardToAWorkingKeySet()
    {
        fixture = std::make_unique<WindowFixture>(false);
        WindowFixture& f = *fixture;
        const auto text = [&f](int slot) { return f.session->messenger().text(slot); };
        QCOMPARE(f.find<QLineEdit>("keyName")->text().toStdString(), text(Msg::NoKeyFiles));
        f.script.answerFolder(f.temp.file("keys"));
        f.script.answerYesNo(true);  // no backup this time
        bool finished = false;
        whenModalShows<mvx::ui::CKeygenWizard>([&](mvx::ui::CKeygenWizard* wizard) {
            const CloseWhenLeft guard{wizard};
            QCOMPARE(wizard->windowTitle().toStdString(), text(Msg::KeyWizardTitle));
            press(wizard, "next");
            type(wizard, "keySetName", "my.keys");
            press(wizard, "next");
            QCOMPARE(f.script.last().text, text(Msg::KeyFileNameForbiddenCharacter));
            QCOMPARE(wizard->currentPage()->objectName(), QString("CKeygenWizard2"));
            type(wizard, "keySetName", "me");
            press(wizard, "next");
            type(wizard, "userName", "Me Myself");
            type(wizard, "mailAddress", "me@example.org");
            press(wizard, "next");
            QCOMPARE(wizard->findChild<QLabel*>("summary")->text().toStdString(),
                     f.session->messenger().format(Msg::KeySetSummary, "me.kpub", "mePrivate.kpri",
                                                   "me))me-auth.kpub"));
            press(wizard, "finish");
            finished = true;
        });
        f.action("actionCreateKey")->trigger();
        QVERIFY(finished);
        QCOMPARE(f.script.shown().front().text, text(Msg::SelectKeyFolder));
        QCOMPARE(f.script.last().text, text(Msg::NoBackupConfirm));
        QCOMPARE(f.find<QLineEdit>("keyName")->text(), QString("me.kpub"));
        QVERIFY(f.settingsText().find("PublicKeyName=me.kpub") != std::string::npos);
        encryptAndDecryptForOneself(f, "diary.txt");
    }

    // Choosing another key pair by hand: the window encrypts with it at once.
    void keyPairChosenByHandIsUsedAtOnce()
    {
        fixture = std::make_unique<WindowFixture>();
        WindowFixture& f = *fixture;
        ScriptedInteraction quiet;
        mvx::AppSession other(quiet, f.temp.file("other-home"), "en");
        other.makeKeySet({f.temp.file("other/"), "other", "Other", "other@example.org"});
        // A key lying unlisted in the chosen set's key folder is offered at once.
        std::filesystem::copy_file(f.temp.file("keys/me.kpub"), other.keys().keyFolder() + "stray.kpub");
        f.script.answerFiles(std::vector<std::string>{f.temp.file("other/otherPrivate.kpri")});
        f.script.answerFiles(std::vector<std::string>{f.temp.file("other/other.kpub")});
        f.script.answerYesNo(false);
        f.clickButton("chooseKeyPair");
        QCOMPARE(f.script.last().text,
                 f.session->messenger().format(Msg::StrayKeysFound, 1LL));
        const auto& shown = f.script.shown();
        QVERIFY(shown.size() >= 2);
        QCOMPARE(shown[shown.size() - 2].text,
                 f.session->messenger().format(Msg::KeyPairChanged, f.temp.file("other/other.kpub"),
                                               f.temp.file("other/otherPrivate.kpri")));
        QCOMPARE(f.find<QLineEdit>("keyName")->text(), QString("other.kpub"));
        QVERIFY(!f.row(f.find<QTreeWidget>("candidateList"), "Pat").isValid());
        encryptAndDecryptForOneself(f, "notes.txt");

        // The mini window's key-name line goes back to the first pair.
        f.window->showMiniWindow();
        auto* miniKeyName = f.window->miniWindow()->findChild<QLineEdit*>("miniKeyName");
        QCOMPARE(miniKeyName->text(), QString("other.kpub"));
        f.script.answerFiles(std::vector<std::string>{f.temp.file("keys/mePrivate.kpri")});
        f.script.answerFiles(std::vector<std::string>{f.temp.file("keys/me.kpub")});
        QTest::mouseClick(miniKeyName, Qt::LeftButton);
        QCOMPARE(miniKeyName->text(), QString("me.kpub"));
        QVERIFY(f.row(f.find<QTreeWidget>("candidateList"), "Pat").isValid());
    }

    // The options refuse a system folder and a folder under the key root as
    // the specific folder (with their Japanese texts), then take a sound
    // one, mark it and say what changed.
    void optionsRefuseSystemAndKeyFoldersAndMarkTheSpecificFolder()
    {
        fixture = std::make_unique<WindowFixture>();
        WindowFixture& f = *fixture;
        f.session->switchLanguage(mvx::CLanguage::kCommandJapanese);
        const auto& messenger = f.session->messenger();
        const std::string specific = f.temp.file("vault/");
        std::filesystem::create_directories(specific);
        QSignalSpy applied(f.window.get(), &mvx::ui::CTessaryDlg::optionsApplied);
        bool closed = false;
        whenModalShows<mvx::ui::COptions>([&](mvx::ui::COptions* dialog) {
            const CloseWhenLeft guard{dialog};
            auto* folder = dialog->findChild<QLineEdit*>("destPath2");
            QVERIFY(!folder->isEnabled());
            WindowFixture::tick(dialog->findChild<QCheckBox*>("encAndDec"));
            QVERIFY(folder->isEnabled());
            type(dialog, "destPath2", "/etc");
            press(dialog, "ok");
            QCOMPARE(f.script.last().text, messenger.format(Msg::SystemFolderRefused, "/etc"));
            type(dialog, "destPath2", QString::fromStdString(f.temp.file("keys/KeyList_me")));
            press(dialog, "ok");
            QCOMPARE(f.script.last().text, messenger.text(Msg::KeyOrNetworkFolderChosen));
            QVERIFY(dialog->isVisible());
            // The browser refuses the same way and asks again.
            f.script.answerFolder(std::string("/usr"));
            f.script.answerFolder(specific);
            press(dialog, "browseDestPath2");
            QCOMPARE(f.script.textsOf(ScriptedInteraction::Kind::Message).back(),
                     messenger.format(Msg::SystemFolderRefused, "/usr"));
            QCOMPARE(folder->text().toStdString(), specific);
            type(dialog, "userName", "Me Renamed");
            press(dialog, "ok");
            closed = !dialog->isVisible();
        });
        f.action("actionSettings")->trigger();
        QVERIFY(closed);
        QCOMPARE(applied.count(), 1);
        const auto change = applied.first().first().value<mvx::OptionsChange>();
        QCOMPARE(change.markedFolder, specific);
        QVERIFY(change.idleTimerArmed);
        QVERIFY(mvx::SpecificFolderMark::isMarked(specific));
        QVERIFY(f.settingsText().find("DestPath2=" + specific) != std::string::npos);
        QCOMPARE(f.session->keys().userName(), std::string("Me Renamed"));
    }

    // Default restores the defaults and their enabling; the detail dialog's
    // choices reach the settings with OK; Cancel keeps everything.
    void optionsDefaultAndDetail()
    {
        fixture = std::make_unique<WindowFixture>();
        WindowFixture& f = *fixture;
        f.session->settings().deleteCheck1 = 1;
        f.session->settings().destPath1 = f.temp.file("out/");
        whenModalShows<mvx::ui::COptions>([&](mvx::ui::COptions* dialog) {
            const CloseWhenLeft guard{dialog};
            press(dialog, "defaultButton");
            QVERIFY(!dialog->findChild<QCheckBox*>("deleteCheck1")->isChecked());
            QVERIFY(dialog->findChild<QLineEdit*>("destPath1")->text().isEmpty());
            QVERIFY(!dialog->findChild<QCheckBox*>("useTimer")->isEnabled());
            whenModalShows<mvx::ui::COptionDetailDlg>([](mvx::ui::COptionDetailDlg* detail) {
                const CloseWhenLeft guard{detail};
                QVERIFY(detail->findChild<QRadioButton*>("position4")->isChecked());
                auto* upperRight = detail->findChild<QRadioButton*>("position2");
                QTest::mouseClick(upperRight, Qt::LeftButton, {},
                                  QPoint(upperRight->height() / 2, upperRight->height() / 2));
                WindowFixture::tick(detail->findChild<QCheckBox*>("ddSelfEncrypt"));
                press(detail, "ok");
            });
            press(dialog, "settingDetail");
            press(dialog, "ok");
        });
        f.action("actionSettings")->trigger();
        QCOMPARE(f.session->settings().deleteCheck1, 0);
        QCOMPARE(f.session->settings().smallMenuPosition, 2);
        QCOMPARE(f.session->settings().ddSelfEncrypt, 1);
        QVERIFY(f.settingsText().find("SmallMenuPosition=2") != std::string::npos);

        whenModalShows<mvx::ui::COptions>([](mvx::ui::COptions* dialog) {
            WindowFixture::tick(dialog->findChild<QCheckBox*>("deleteCheck2"));
            press(dialog, "cancel");
        });
        f.action("actionSettings")->trigger();
        QCOMPARE(f.session->settings().deleteCheck2, 0);
    }

private:
    std::unique_ptr<WindowFixture> fixture;
};

QTEST_MAIN(KeyWindowsTest)
#include "KeyWindowsTest.moc"

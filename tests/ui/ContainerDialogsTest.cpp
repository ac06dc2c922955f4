#include "WindowFixture.h"

#include "app/Msg.h"
#include "engine/EncryptionSettings.h"
#include "engine/FileEncryptor.h"
#include "ui/containers/CHistoryFileSelector.h"
#include "ui/containers/CKlxHistoryViewDlg.h"
#include "ui/containers/CKlxSetAdrsViewDlg.h"
#include "ui/containers/CQrcodeViewDlg.h"
#include "ui/containers/CTransportKlxSelDlg.h"
#include "workbench/BatchContext.h"
#include "workbench/OpenInPlace.h"
#include "workbench/RegistrationSymbol.h"

#include <QClipboard>
#include <QLabel>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

using mvx::test::WindowFixture;
using mvx::test::whenModalShows;

namespace {

QStringList rowTexts(const QTreeWidget* list, int row)
{
    QStringList texts;
    for (int column = 0; column < list->columnCount(); ++column)
        texts << list->topLevelItem(row)->text(column);
    return texts;
}

// Selects a row of a dialog's list as a user clicks it and presses the dialog's OK button.
void chooseAndAccept(QDialog* dialog, const std::vector<QString>& rows)
{
    auto* list = dialog->findChild<QTreeWidget*>("choiceList");
    // A plain click on the first row (it replaces a preselected one), Ctrl for the further ones.
    for (const QString& text : rows) {
        const auto found = list->findItems(text, Qt::MatchExactly, 0);
        QVERIFY2(!found.isEmpty(), qPrintable(text));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, text == rows.front() ? Qt::NoModifier : Qt::ControlModifier,
                          list->visualItemRect(found.first()).center());
    }
    QTest::mouseClick(dialog->findChild<QPushButton*>("ok"), Qt::LeftButton);
}

std::string script(const WindowFixture& f, const std::string& name, const std::string& body)
{
    const std::string path = f.write(name, "#!/bin/sh\n" + body);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

// The bytes of the one QR symbol zbarimg reads in an image file; empty when none.
std::string zbarRead(const std::string& imagePath)
{
    const std::string command = "zbarimg -q --nodbus -Sdisable -Sqrcode.enable -Sbinary '" + imagePath + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    std::array<char, 4096> buffer{};
    for (size_t n = 0; pipe && (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        output.append(buffer.data(), n);
    if (pipe)
        ::pclose(pipe);
    return output;
}

} // namespace

class ContainerDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture = std::make_unique<WindowFixture>(); }
    void cleanup()
    {
        fixture.reset();
        ::unsetenv("MORVANEX_MAILER");
        ::unsetenv("MORVANEX_OPENER");
    }

    // Two containers with a history in the studio list: the selector asks
    // which one, the viewer shows its file, folder and rows.
    void historyViewerShowsTheChosenContainersRows()
    {
        WindowFixture& f = *fixture;
        makeContainer("work/a.txt");
        makeContainer("work/b.txt");
        addToStudio({"a.txt.klx", "b.txt.klx"});

        QStringList row;
        QString fileName, folder;
        whenModalShows<mvx::ui::CHistoryFileSelector>([&](mvx::ui::CHistoryFileSelector* selector) {
            whenModalShows<mvx::ui::CKlxHistoryViewDlg>([&](mvx::ui::CKlxHistoryViewDlg* viewer) {
                auto* rows = viewer->findChild<QTreeWidget*>("historyRows");
                QCOMPARE(rows->topLevelItemCount(), 1);
                row = rowTexts(rows, 0);
                fileName = viewer->findChild<QLineEdit*>("fileName")->text();
                folder = viewer->findChild<QLineEdit*>("saveFolder")->text();
                QTest::mouseClick(viewer->findChild<QPushButton*>("ok"), Qt::LeftButton);
            });
            chooseAndAccept(selector, {"b.txt.klx"});
        });
        f.action("actionShowFileLogs")->trigger();
        QCOMPARE(fileName, QString("b.txt.klx"));
        QCOMPARE(folder, QString::fromStdString(f.temp.file("work/")));
        QCOMPARE(row.mid(1), (QStringList{"新規作成", "Me", "me@example.org"}));
        QCOMPARE(f.find<QListWidget>("studioList")->count(), 2);
    }

    // Forwarding: the picked address and the container reach the mail
    // command, and the studio list is emptied; a mail command that fails
    // says where the files are.
    void forwardingHandsThePickedAddressesToTheMailCommand()
    {
        WindowFixture& f = *fixture;
        const std::string container = makeContainer("work/c.txt");
        addToStudio({"c.txt.klx"});
        const std::string record = f.temp.file("mail-args");
        ::setenv("MORVANEX_MAILER",
                 script(f, "mailer.sh", "for a in \"$@\"; do echo \"$a\"; done > '" + record + "'\n").c_str(), 1);

        whenModalShows<mvx::ui::CTransportKlxSelDlg>([&](mvx::ui::CTransportKlxSelDlg* selector) {
            whenModalShows<mvx::ui::CKlxSetAdrsViewDlg>(
                [](mvx::ui::CKlxSetAdrsViewDlg* addresses) { chooseAndAccept(addresses, {"Pat"}); });
            chooseAndAccept(selector, {"c.txt.klx"});
        });
        f.action("actionForwardFile")->trigger();
        const std::string args = f.read(record);
        QVERIFY(args.find("pat@example.org\n") != std::string::npos);
        QVERIFY(args.find(container + "\n") != std::string::npos);
        QVERIFY(args.find("me@example.org") == std::string::npos);
        QCOMPARE(f.find<QListWidget>("studioList")->count(), 0);

        ::setenv("MORVANEX_MAILER", "/bin/false", 1);
        f.action("actionSendPublicKey")->trigger();
        const std::string keyFolder = f.temp.file("keys/");
        QVERIFY(f.script.showed(f.session->messenger().format(mvx::Msg::MailProgramFailed, keyFolder)));
    }

    // OK with no container chosen says so and leaves the selector open for
    // the choice; a single container is chosen already.
    void forwardingSelectorStaysOpenUntilAContainerIsChosen()
    {
        WindowFixture& f = *fixture;
        makeContainer("work/e.txt");
        makeContainer("work/f.txt");
        addToStudio({"e.txt.klx", "f.txt.klx"});
        const std::string missing = f.session->messenger().text(mvx::Msg::NoKlxSelected);
        bool stayedOpen = false;
        whenModalShows<mvx::ui::CTransportKlxSelDlg>([&](mvx::ui::CTransportKlxSelDlg* selector) {
            QTest::mouseClick(selector->findChild<QPushButton*>("ok"), Qt::LeftButton);
            QVERIFY(f.script.showed(missing));
            stayedOpen = selector->isVisible();
            QTest::mouseClick(selector->findChild<QPushButton*>("cancel"), Qt::LeftButton);
        });
        f.action("actionForwardFile")->trigger();
        QVERIFY(stayedOpen);

        f.script.clear();
        f.clickButton("clearStudio");
        addToStudio({"e.txt.klx"});
        bool addressesAsked = false;
        whenModalShows<mvx::ui::CTransportKlxSelDlg>([&](mvx::ui::CTransportKlxSelDlg* selector) {
            whenModalShows<mvx::ui::CKlxSetAdrsViewDlg>([&](mvx::ui::CKlxSetAdrsViewDlg* addresses) {
                addressesAsked = true;
                addresses->reject();
            });
            QTest::mouseClick(selector->findChild<QPushButton*>("ok"), Qt::LeftButton);
        });
        f.action("actionForwardFile")->trigger();
        QVERIFY(addressesAsked);
        QVERIFY(!f.script.showed(missing));
    }

    // A container double-clicked in the file pane opens in its program; the
    // window keeps working, a second open of it is refused meanwhile, and
    // the viewer then shows the "viewed" event.
    void openInPlaceKeepsTheWindowUsableAndRefusesASecondOpen()
    {
        WindowFixture& f = *fixture;
        const std::string container = makeContainer("work/d.txt");
        const std::string started = f.temp.file("started");
        const std::string release = f.temp.file("release");
        ::setenv("MORVANEX_OPENER",
                 script(f, "opener.sh",
                        "touch '" + started + "'\nwhile [ ! -e '" + release + "' ]; do sleep 0.05; done\n")
                     .c_str(),
                 1);
        QSignalSpy opened(f.window.get(), &mvx::ui::CTessaryDlg::openedInPlace);
        f.showFolder(f.temp.file("work"));
        f.doubleClick(f.find<QTreeView>("fileList"), "d.txt.klx");
        QTRY_VERIFY_WITH_TIMEOUT(f.exists(started), 30000);

        f.window->openInPlace(container);
        QTRY_COMPARE(opened.count(), 1);
        QCOMPARE(opened.at(0).at(1).toInt(), mvx::OpenInPlace::kNotOpened);
        QVERIFY(f.script.showed(f.session->messenger().format(mvx::Msg::ContainerAlreadyOpenInPlace, container)));
        f.clickButton("addToStudio");  // the window answers while the program is open

        f.write("release", "");
        QTRY_COMPARE_WITH_TIMEOUT(opened.count(), 2, 30000);
        QCOMPARE(opened.at(1).at(1).toInt(), mvx::OpenInPlace::kViewed);
        QStringList operations;
        whenModalShows<mvx::ui::CKlxHistoryViewDlg>([&](mvx::ui::CKlxHistoryViewDlg* viewer) {
            auto* rows = viewer->findChild<QTreeWidget*>("historyRows");
            for (int i = 0; i < rows->topLevelItemCount(); ++i)
                operations << rows->topLevelItem(i)->text(1);
            viewer->accept();
        });
        f.window->showFileLogs({container});
        QCOMPARE(operations, (QStringList{"新規作成", "閲覧"}));
    }

    // The barcode window: one pixel per module, the copied picture and the
    // saved file both read back to the registration content, and an
    // existing file is replaced only after Yes.
    void barcodeWindowSavesAndCopiesTheRegistrationSymbol()
    {
        WindowFixture& f = *fixture;
        const std::string content = *mvx::RegistrationSymbol{}.content(*f.session);
        const std::string saved = f.write("qr.bmp", "older picture");
        f.script.answerSavePath(f.temp.file("qr"));  // ".bmp" is added
        f.script.answerYesNo(false);
        f.script.answerSavePath(saved);
        f.script.answerYesNo(true);
        QSize shown;
        whenModalShows<mvx::ui::CQrcodeViewDlg>([&](mvx::ui::CQrcodeViewDlg* barcode) {
            shown = barcode->findChild<QLabel*>("symbol")->pixmap().size();
            QTest::mouseClick(barcode->findChild<QPushButton*>("copy"), Qt::LeftButton);
            QTest::mouseClick(barcode->findChild<QPushButton*>("save"), Qt::LeftButton);
            QCOMPARE(f.read(saved), std::string("older picture"));
            QTest::mouseClick(barcode->findChild<QPushButton*>("save"), Qt::LeftButton);
            QTest::mouseClick(barcode->findChild<QPushButton*>("close"), Qt::LeftButton);
        });
        f.action("actionShowQrCode")->trigger();

        const QImage copied = QApplication::clipboard()->image();
        QCOMPARE(copied.size(), shown * 2);
        const std::string pasted = f.temp.file("pasted.png");
        QVERIFY(copied.save(QString::fromStdString(pasted)));
        QCOMPARE(zbarRead(pasted), content);
        QCOMPARE(zbarRead(saved), content);
    }

    // Containers received from the service decrypt without questions and
    // are removed afterwards.
    void receivedContainersAreDecryptedAndRemoved()
    {
        WindowFixture& f = *fixture;
        const std::string container = makeContainer("inbox/e.txt");
        f.script.answerFiles({container});
        QVERIFY(f.runCommand("actionDecryptReceived"));
        QCOMPARE(f.read(f.temp.file("inbox/e.txt")), std::string("text of inbox/e.txt"));
        QVERIFY(!f.exists(container));
        QVERIFY(!f.script.showed("1 Files succeed in decryption."));
    }

private:
    // A container of name for me alone, recording Me and Pat in its history.
    std::string makeContainer(const std::string& name)
    {
        WindowFixture& f = *fixture;
        const std::string plain = f.write(name, "text of " + name);
        mvx::CKeyManager& keys = f.session->keys();
        mvx::FileEncryptor encryptor(f.session->messenger());
        encryptor.setSender({keys.ownPublicKeyPath(), keys.ownPrivateKeyPath(), keys.userName(), keys.mail(), 0});
        encryptor.setRecipients({mvx::KeySetPaths::from(keys, true).selfAuthKeyFile});
        encryptor.setOptionWord(mvx::kOptionHistory);
        encryptor.setHistoryNames({{"Me", "me@example.org"}, {"Pat", "pat@example.org"}});
        encryptor.resetContentKey();
        const std::string container = plain + ".klx";
        [&] {
            QCOMPARE(encryptor.encryptBody(plain, container, 0), 1);
            QCOMPARE(encryptor.writeContainerTail(container, plain, mvx::kKindMainWindow), 1);
        }();
        std::filesystem::remove(plain);
        return container;
    }

    void addToStudio(const std::vector<QString>& names)
    {
        WindowFixture& f = *fixture;
        f.showFolder(f.temp.file("work"));
        for (const QString& name : names)
            f.click(f.find<QTreeView>("fileList"), name);
        f.clickButton("addToStudio");
    }

    std::unique_ptr<WindowFixture> fixture;
};

QTEST_MAIN(ContainerDialogsTest)
#include "ContainerDialogsTest.moc"

#include "TestWebService.h"
#include "WindowFixture.h"

#include "app/Msg.h"
#include "ui/main/CTessaryDialogMini.h"
#include "ui/service/CProgressDiag.h"
#include "ui/service/CVelquinLoginDiag.h"
#include "ui/service/CVelquinSendDlg.h"

#include <QListWidget>
#include <QPlainTextEdit>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdlib>

using mvx::test::TestWebService;
using mvx::test::WindowFixture;
using mvx::test::whenModalShows;

namespace {

void enterPasswordAndLogin(mvx::ui::CVelquinLoginDiag* dialog, const char* password)
{
    QTest::keyClicks(dialog->findChild<QLineEdit*>("password"), password);
    QTest::mouseClick(dialog->findChild<QPushButton*>("login"), Qt::LeftButton);
}

mvx::ServiceAction::Request request(const std::string& action, const std::vector<std::string>& files)
{
    mvx::ServiceAction::Request made;
    made.action = action;
    made.files = files;
    made.mail = "me@example.org";
    made.password = "pw";
    return made;
}

} // namespace

class ServiceDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        ::setenv("MORVANEX_SERVICE_URL", TestWebService::shared().baseUrl().c_str(), 1);
    }
    void init()
    {
        TestWebService::shared().configure({{"accounts", {{"me@example.org", "pw"}}}});
        fixture = std::make_unique<WindowFixture>();
    }
    void cleanup() { fixture.reset(); }

    // The mini window's login: a refused password keeps the dialog open with
    // the field emptied; the right one logs in. No password reaches a file.
    void loginRefusesAWrongPasswordThenLogsIn()
    {
        WindowFixture& f = *fixture;
        f.action("actionMiniaturization")->trigger();
        bool keptOpen = false;
        QString fieldAfterRefusal = "not emptied";
        whenModalShows<mvx::ui::CVelquinLoginDiag>([&](mvx::ui::CVelquinLoginDiag* dialog) {
            QCOMPARE(dialog->findChild<QLineEdit*>("mail")->text(), QString("me@example.org"));
            enterPasswordAndLogin(dialog, "wrong");
            keptOpen = dialog->isVisible();
            fieldAfterRefusal = dialog->findChild<QLineEdit*>("password")->text();
            enterPasswordAndLogin(dialog, "pw");
            if (dialog->isVisible())
                dialog->reject();
        });
        QTest::mouseClick(f.window->miniWindow()->findChild<QPushButton*>("miniLogin"), Qt::LeftButton);
        QVERIFY(keptOpen);
        QCOMPARE(fieldAfterRefusal, QString());
        const auto& messenger = f.session->messenger();
        QVERIFY(f.script.showed(messenger.text(mvx::Msg::WrongMailOrPassword)));
        QVERIFY(f.script.showed(messenger.text(mvx::Msg::ServiceLoggedIn)));
        QVERIFY(f.settingsText().find("pw") == std::string::npos);
    }

    // The studio list's file goes to the own folder with its subject after
    // the password; easy send without an address is refused first.
    void uploadAndEasySendFromTheStudioList()
    {
        WindowFixture& f = *fixture;
        const std::string file = f.write("up/plan.txt", "the plan");
        f.showFolder(f.temp.file("up"));
        f.click(f.find<QTreeView>("fileList"), "plan.txt");
        f.clickButton("addToStudio");
        bool refused = false;
        whenModalShows<mvx::ui::CVelquinSendDlg>([&](mvx::ui::CVelquinSendDlg* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>("send"), Qt::LeftButton);
            refused = dialog->isVisible() &&
                      f.script.showed(f.session->messenger().text(mvx::Msg::ServiceAddressesMissing));
            QTest::keyClicks(dialog->findChild<QLineEdit*>("subject"), "Plan");
            auto* addresses = dialog->findChild<QPlainTextEdit*>("addresses");
            QTest::keyClicks(addresses, "pat@example.org");
            QTest::keyClick(addresses, Qt::Key_Return);
            QTest::keyClicks(addresses, "pat@example.org");
            QTest::mouseClick(dialog->findChild<QPushButton*>("send"), Qt::LeftButton);
        });
        f.action("actionEasySend")->trigger();
        QVERIFY(refused);
        const auto form = TestWebService::shared().requests().back()["form"];
        QCOMPARE(form["sendto_adrs[]"].size(), size_t(1));
        QCOMPARE(form["subject"][0].get<std::string>(), std::string("Plan"));
        QCOMPARE(f.find<QListWidget>("studioList")->count(), 0);

        f.clickButton("addToStudio");
        whenModalShows<mvx::ui::CVelquinSendDlg>([](mvx::ui::CVelquinSendDlg* dialog) {
            QVERIFY(!dialog->findChild<QPlainTextEdit*>("addresses")->isVisible());
            whenModalShows<mvx::ui::CVelquinLoginDiag>(
                [](mvx::ui::CVelquinLoginDiag* login) { enterPasswordAndLogin(login, "pw"); });
            QTest::keyClicks(dialog->findChild<QLineEdit*>("subject"), "Mine");
            QTest::mouseClick(dialog->findChild<QPushButton*>("send"), Qt::LeftButton);
        });
        f.action("actionUploadToMyFolder")->trigger();
        const auto parts = TestWebService::shared().requests().back()["multipart"]["parts"];
        QCOMPARE(parts[3]["value"].get<std::string>(), std::string("Mine"));
        QCOMPARE(TestWebService::readFile(parts[5]["stored"]), std::string("the plan"));
        QVERIFY(f.script.showed(f.session->messenger().text(mvx::Msg::ServiceFilesSent)));
    }

    // A service that drops the connection in the middle of an upload: the
    // progress window ends with the network message instead of hanging.
    void uploadToAServiceThatStopsAnsweringEndsWithTheNetworkMessage()
    {
        WindowFixture& f = *fixture;
        TestWebService::shared().configure({{"accounts", {{"me@example.org", "pw"}}}, {"mode", "close"}});
        const std::string file = f.write("up/notes.txt", std::string(200000, 'n'));
        mvx::ui::CProgressDiag progress(*f.session, request("upload", {file}));
        const auto result = progress.run();
        QVERIFY(!result.ok);
        QVERIFY(!progress.isVisible());
        QVERIFY(result.networkFailure);
        const std::string message = f.session->messenger().text(mvx::Msg::NetworkFailedBecause);
        const std::string lead = message.substr(0, message.find("(%s)"));
        QVERIFY(result.networkFailure->size() > lead.size() + 2);
        QCOMPARE(result.networkFailure->substr(0, lead.size()), lead);
    }

    // Cancel ends a request the service answers only slowly.
    void cancelEndsASlowRequest()
    {
        WindowFixture& f = *fixture;
        TestWebService::shared().configure({{"accounts", {{"me@example.org", "pw"}}}, {"mode", "drip"}});
        mvx::ui::CProgressDiag progress(*f.session, request("login", {}));
        whenModalShows<mvx::ui::CProgressDiag>([](mvx::ui::CProgressDiag* dialog) {
            QTest::qWait(300);
            QTest::mouseClick(dialog->findChild<QPushButton*>("cancel"), Qt::LeftButton);
        });
        const auto result = progress.run();
        QVERIFY(progress.cancelled());
        QVERIFY(!result.ok);
    }

private:
    std::unique_ptr<WindowFixture> fixture;
};

QTEST_MAIN(ServiceDialogsTest)
#include "ServiceDialogsTest.moc"

#include "WindowFixture.h"

#include "app/Msg.h"
#include "keys/DestinationListEditor.h"
#include "ui/keys/CKeyChainList.h"
#include "ui/main/CTessaryDialogMini.h"
#include "workbench/WorkbenchCommands.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <cstdlib>
#include <filesystem>
#include <set>

using mvx::test::ScriptedInteraction;
using mvx::test::WindowFixture;
using Kind = ScriptedInteraction::Kind;
namespace fs = std::filesystem;

namespace {

// Every command of the main window, the mini window and the destination-list
// window, with the one thing only that command does. The trigger names where
// the user finds it:
//   menu:A     the main window's action A (menu bar and its shortcut label)
//   tool:A     the toolbar button A
//   context:A  the file pane's context menu entry A
//   key:K      the key sequence K pressed in the main window
//   studioKey:K / addressKey:K   K pressed in the studio or address list
//   button:B   the main window's push button B
//   mini:B     the mini window's button B; miniMenu:A its menu's entry A
//   list:B     the destination-list window's button B; listMenu:A its context-menu entry A
//   barcode:Z  the barcode window's zoom Z chosen with the keyboard (the window opened from the menu)
// "before" is a trigger run first (a command that needs another one before it).
struct CommandRow {
    const char* trigger;
    const char* outcome;
    const char* before = nullptr;
};

const CommandRow kCommands[] = {
    {"menu:actionEncryption", "new:work/s-plain.txt.klx"},
    {"tool:tool151", "new:work/s-plain.txt.klx"},
    {"key:Ctrl+E", "new:work/s-plain.txt.klx"},
    {"menu:actionDecryption", "new:work/s-box.txt"},
    {"tool:tool152", "new:work/s-box.txt"},
    {"key:Ctrl+D", "new:work/s-box.txt"},
    {"menu:actionShowFileLogs", "dialog:CKlxHistoryViewDlg|.KLX Logs View"},
    {"tool:tool32841", "dialog:CKlxHistoryViewDlg|.KLX Logs View"},
    {"menu:actionForwardFile", "dialog:CTransportKlxSelDlg|Forwarding - processing of forwarding Encrypted File."},
    {"tool:tool32840", "dialog:CTransportKlxSelDlg|Forwarding - processing of forwarding Encrypted File."},
    {"menu:actionDeleteFiles", "gone:work/s-plain.txt"},
    {"tool:tool32851", "gone:work/s-plain.txt"},
    {"menu:actionCreateKey", "dialog:CKeygenWizard|Key Creation Wizard"},
    {"tool:tool116", "dialog:CKeygenWizard|Key Creation Wizard"},
    {"menu:actionKeyChainList", "shown:CKeyChainList"},
    {"tool:tool174", "shown:CKeyChainList"},
    {"menu:actionAuthentication", "dialog:CKeyChain|PublicKey Authetication"},
    {"menu:actionSendPublicKey", "mail:keys/me.kpub"},
    {"menu:actionShowQrCode", "dialog:CQrcodeViewDlg|公開鍵2次元バーコード表示"},
    {"tool:tool32881", "dialog:CQrcodeViewDlg|公開鍵2次元バーコード表示"},
    {"barcode:×2", "zoom:2"},
    {"barcode:×4", "zoom:4"},
    {"menu:actionUploadToMyFolder", "dialog:CVelquinSendDlg|Upload to My Folder"},
    {"menu:actionEasySend", "dialog:CVelquinSendDlg|Send through Velquin"},
    {"menu:actionTransferEncrypted", "dialog:CVelquinSendDlg|Send Encrypted through Velquin"},
    {"menu:actionDecryptReceived", "files:Choose the encrypted files received from Velquin"},
    {"menu:actionSettings", "dialog:COptions|Settings"},
    {"menu:actionJapanese", "language:JP"},
    {"menu:actionEnglish", "language:EN", "menu:actionJapanese"},
    {"menu:actionMiniaturization", "shown:CTessaryDialogMini"},
    {"tool:tool32846", "shown:CTessaryDialogMini"},
    {"menu:actionUseMiniMenu", "shown:CTessaryDialogMini"},
    {"menu:actionExit", "closed"},
    {"key:Ctrl+X", "closed"},
    {"menu:actionHelpIndex", "yesno:Help file(MORVANEX_Help.chm) is not found.\nDo you refer to the help on WEB?"},
    {"key:F1", "yesno:Help file(MORVANEX_Help.chm) is not found.\nDo you refer to the help on WEB?"},
    {"menu:actionAbout", "message:MORVANEX version \nEncrypts the files you exchange with your partners."},
    {"context:actionEncryptSelected", "new:work/p-plain.txt.klx"},
    {"context:actionDecryptSelected", "new:work/p-box.txt"},
    {"context:actionDeleteSelected", "gone:work/p-box.txt.klx"},
    {"context:actionChooseKeyPair", "files:Please select PrivateKey file."},
    {"button:chooseKeyPair", "files:Please select PrivateKey file."},
    {"button:addToStudio", "studio:4"},
    {"button:removeFromStudio", "studio:1"},
    {"studioKey:Delete", "studio:1"},
    {"button:clearStudio", "studio:0"},
    {"button:addToAddressList", "addresses:2", "button:removeFromAddressList"},
    {"button:removeFromAddressList", "addresses:1"},
    {"addressKey:Delete", "addresses:1"},
    {"mini:miniEncrypt", "dialog:CKeyListSel|Choose destinations"},
    {"mini:miniQrCode", "dialog:CQrcodeViewDlg|公開鍵2次元バーコード表示"},
    {"mini:miniKeyChainList", "shown:CKeyChainList"},
    {"mini:miniReturn", "shown:CTessaryDlg"},
    {"mini:miniLogin", "dialog:CVelquinLoginDiag|MORVANEX"},
    {"mini:miniKeyName", "files:Please select PrivateKey file."},
    {"miniMenu:actionSettings", "dialog:COptions|Settings"},
    {"miniMenu:actionJapanese", "language:JP"},
    {"miniMenu:actionEnglish", "language:EN", "menu:actionJapanese"},
    {"miniMenu:actionAbout", "message:MORVANEX version \nEncrypts the files you exchange with your partners."},
    {"miniMenu:actionHelpIndex", "yesno:Help file(MORVANEX_Help.chm) is not found.\nDo you refer to the help on WEB?"},
    {"list:add", "files:Add"},
    {"listMenu:menuNewRegistration", "files:Add"},
    {"list:modify", "dialog:CKeyChainList_Add|Modify"},
    {"listMenu:menuChange", "dialog:CKeyChainList_Add|Modify"},
    {"list:move", "folder:フォルダを選択してください"},
    {"listMenu:menuMove", "folder:フォルダを選択してください"},
    {"list:delete", "continue:Pat's Address&Pat'sPublicKey delete.\nIs that OK?"},
    {"listMenu:menuDelete", "continue:Pat's Address&Pat'sPublicKey delete.\nIs that OK?"},
    {"list:makeFolder", "dialog:makeFolderDialog|Make Folder"},
    {"listMenu:menuCreateFolder", "dialog:makeFolderDialog|Make Folder"},
    {"list:createEncryptFile", "new:work/m-plain.txt.klx"},
    {"listMenu:menuCreateEncryptionFile", "new:work/m-plain.txt.klx"},
    {"list:publicKeyAuthentication", "dialog:CKeyChain|PublicKey Authetication"},
    {"listMenu:menuCreateSelfAuthKey", "dialog:CAuthKeyLimitSetDlg|Authenication of PublicKey - Limit setting of key of public Auth-publickey",
     "setup:plainKey"},
    {"listMenu:menuCut", "enabled:menuPaste"},
    {"listMenu:menuPaste", "new:keys/KeyList_me/friends/me))pat-auth.kpub", "listMenu:menuCut"},
    {"listMenu:menuMailKeyFiles", "mail:keys/KeyList_me/me))pat-auth.kpub"},
    {"list:close", "hidden:CKeyChainList"},
};

QString q(const std::string& text) { return QString::fromStdString(text); }

// What a command did: files made and removed, windows shown and hidden,
// dialogs opened (each closed at once), questions asked, and the state of
// the lists, as "kind:detail" lines.
class Observer {
public:
    explicit Observer(WindowFixture& f) : f_(f), shownBefore_(f.script.shown().size())
    {
        files_ = filesUnder(f.temp.file(""));
        windows_ = visibleWindows();
        english_ = f.session->language().isEnglish();
        studio_ = f.find<QWidget>("studioList")->property("count").toInt();
        addresses_ = f.find<QTreeWidget>("addressList")->topLevelItemCount();
        QObject::connect(f.window.get(), &mvx::ui::CTessaryDlg::closed, &closer_, [this] { closed_ = true; });
        QObject::connect(&dialogs_, &QTimer::timeout, &closer_, [this] { closeModal(); });
        dialogs_.start(20);
    }

    // Looks into each dialog before it is closed; a line it returns is an event.
    std::function<std::string(QDialog*)> inspect;

    std::set<std::string> events()
    {
        dialogs_.stop();
        std::set<std::string> seen(opened_.begin(), opened_.end());
        const auto files = filesUnder(f_.temp.file(""));
        for (const auto& file : files)
            if (!files_.count(file))
                seen.insert("new:" + file);
        for (const auto& file : files_)
            if (!files.count(file))
                seen.insert("gone:" + file);
        const auto windows = visibleWindows();
        for (const auto& name : windows)
            if (!windows_.count(name))
                seen.insert("shown:" + name);
        for (const auto& name : windows_)
            if (!windows.count(name))
                seen.insert("hidden:" + name);
        const auto& shown = f_.script.shown();
        for (size_t i = shownBefore_; i < shown.size(); ++i)
            seen.insert(kindName(shown[i].kind) + ":" + shown[i].text);
        if (f_.session->language().isEnglish() != english_)
            seen.insert(f_.session->language().isEnglish() ? "language:EN" : "language:JP");
        if (closed_)
            seen.insert("closed");
        const int studio = f_.find<QWidget>("studioList")->property("count").toInt();
        if (studio != studio_)
            seen.insert("studio:" + std::to_string(studio));
        const int addresses = f_.find<QTreeWidget>("addressList")->topLevelItemCount();
        if (addresses != addresses_)
            seen.insert("addresses:" + std::to_string(addresses));
        if (auto* list = f_.window->keyChainWindow())
            if (auto* paste = list->findChild<QAction*>("menuPaste"); paste && paste->isEnabled())
                seen.insert("enabled:menuPaste");
        // The mail program's log: the files attached.
        const std::string mail = WindowFixture::read(f_.temp.file("mail.log"));
        const std::string root = f_.temp.file("");
        for (size_t at = mail.find("--attach " + root); at != std::string::npos; at = mail.find("--attach " + root, at + 1)) {
            const size_t from = at + 9 + root.size();
            seen.insert("mail:" + mail.substr(from, mail.find_first_of(" \n", from) - from));
        }
        return seen;
    }

private:
    static std::string kindName(Kind kind)
    {
        switch (kind) {
        case Kind::Message: return "message";
        case Kind::YesNo: return "yesno";
        case Kind::OkCancel: return "okcancel";
        case Kind::ContinueConfirm: return "continue";
        case Kind::Notice: return "notice";
        case Kind::ChooseFiles: return "files";
        case Kind::ChooseFolder: return "folder";
        case Kind::ChooseSavePath: return "save";
        case Kind::Status: return "status";
        }
        return "?";
    }

    static std::set<std::string> filesUnder(const std::string& root)
    {
        std::set<std::string> found;
        for (const auto& entry : fs::recursive_directory_iterator(root))
            if (entry.is_regular_file())
                found.insert(fs::relative(entry.path(), root).string());
        return found;
    }

    static std::set<std::string> visibleWindows()
    {
        std::set<std::string> names;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && !window->objectName().isEmpty())
                names.insert(window->objectName().toStdString());
        return names;
    }

    void closeModal()
    {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        opened_.push_back("dialog:" + dialog->objectName().toStdString() + "|" + dialog->windowTitle().toStdString());
        if (inspect)
            if (const std::string seen = inspect(dialog); !seen.empty())
                opened_.push_back(seen);
        dialog->reject();
    }

    WindowFixture& f_;
    size_t shownBefore_;
    std::set<std::string> files_;
    std::set<std::string> windows_;
    bool english_ = true;
    int studio_ = 0;
    int addresses_ = 0;
    bool closed_ = false;
    std::vector<std::string> opened_;
    QObject closer_;
    QTimer dialogs_;
};

} // namespace

class CommandTableTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        fixture = std::make_unique<WindowFixture>();
        WindowFixture& f = *fixture;
        const std::string mailer = f.write("mailer.sh", "#!/bin/sh\necho \"$@\" >> \"" + f.temp.file("mail.log") + "\"\n");
        fs::permissions(mailer, fs::perms::owner_all);
        ::setenv("MORVANEX_MAILER", mailer.c_str(), 1);
        // Plain files and containers, in the studio list and selected in the file pane.
        const std::string studioBox = f.write("work/s-box.txt", "studio container");
        const std::string paneBox = f.write("work/p-box.txt", "pane container");
        QVERIFY(f.window->runBatch([=](mvx::BatchContext& context) {
            mvx::WorkbenchCommands(context).encryptForOneself({studioBox, paneBox});
        }));
        QSignalSpy finished(f.window.get(), &mvx::ui::CTessaryDlg::batchFinished);
        QVERIFY(finished.wait(60000));
        fs::remove(studioBox);
        fs::remove(paneBox);
        f.window->addToStudio({f.write("work/s-plain.txt", "studio plain"), studioBox + ".klx"});
        f.write("work/p-plain.txt", "pane plain");
        // What a file chooser answers first (the mini window's and the destination list's encryption).
        f.script.answerFiles({f.write("work/m-plain.txt", "chosen plain")});
        f.showFolder(f.temp.file("work"));
        auto* files = f.find<QTreeView>("fileList");
        f.click(files, "p-plain.txt");
        f.click(files, "p-box.txt.klx");
        f.doubleClick(f.find<QTreeWidget>("candidateList"), "Pat");
        f.doubleClick(f.find<QTreeWidget>("candidateList"),
                      q(f.session->messenger().text(mvx::Msg::SelfEncryptionDisplayName)));
        fs::create_directories(f.session->keys().keyFolder() + "friends");
        f.script.setDefaultContinue(0);
        f.script.clear();
    }

    void cleanup()
    {
        fixture.reset();
        ::unsetenv("MORVANEX_MAILER");
    }

    void eachCommandDoesItsOwnThing_data()
    {
        QTest::addColumn<int>("row");
        for (size_t i = 0; i < std::size(kCommands); ++i)
            QTest::newRow(kCommands[i].trigger) << static_cast<int>(i);
    }

    void eachCommandDoesItsOwnThing()
    {
        QFETCH(int, row);
        const CommandRow& command = kCommands[row];
        const std::string trigger = command.trigger;
        const std::string before = command.before ? command.before : "";
        if (trigger.rfind("list", 0) == 0)
            openDestinationList(before == "setup:plainKey" ? "Plain Pat" : "Pat");
        if (trigger.rfind("mini", 0) == 0)
            fixture->action("actionMiniaturization")->trigger();
        if (!before.empty() && before.rfind("setup:", 0) != 0)
            run(before);
        if (trigger == "listMenu:menuPaste")
            fixture->window->keyChainWindow()->showFolder(fixture->session->keys().keyFolder() + "friends/");

        Observer observer(*fixture);
        if (trigger.rfind("barcode:", 0) == 0)
            observer.inspect = zoomTo(q(trigger.substr(8)));
        run(trigger);
        const auto events = observer.events();
        std::string all;
        for (const auto& event : events)
            all += "\n  " + event;
        QVERIFY2(events.count(command.outcome), (std::string("wanted ") + command.outcome + ", seen:" + all).c_str());
    }

private:
    // The destination list open with one entry selected; "Plain Pat" is
    // registered first with a key nobody has authenticated.
    void openDestinationList(const QString& entry)
    {
        WindowFixture& f = *fixture;
        if (entry == "Plain Pat") {
            std::string plainKey;
            for (const auto& file : fs::recursive_directory_iterator(f.temp.file("pat-keys")))
                if (file.path().extension() == ".kpub" && file.path().string().find("))") == std::string::npos)
                    plainKey = file.path().string();
            mvx::DestinationListEditor list(f.session->messenger(), f.session->keys(), nullptr);
            QVERIFY(list.registerKeyAs(plainKey, {}, "Plain Pat", "plain@example.org"));
        }
        f.action("actionKeyChainList")->trigger();
        auto* window = f.window->keyChainWindow();
        QVERIFY(window && window->isVisible());
        WindowFixture::tick(window->findChild<QCheckBox*>("manageLogs"));  // no history without oneself
        f.click(window->findChild<QTreeWidget*>("entryList"), entry);
    }

    // Triggers the command as the user reaches it, and waits for the batch it starts.
    void run(const std::string& trigger)
    {
        WindowFixture& f = *fixture;
        const auto colon = trigger.find(':');
        const std::string where = trigger.substr(0, colon);
        const std::string name = trigger.substr(colon + 1);
        const QString qname = q(name);
        QSignalSpy finished(f.window.get(), &mvx::ui::CTessaryDlg::batchFinished);
        if (where == "menu") {
            QAction* item = nullptr;
            for (QMenu* menu : f.window->findChildren<QMenu*>())
                for (QAction* entry : menu->actions())
                    if (entry->objectName() == qname)
                        item = entry;
            QVERIFY2(item, name.c_str());
            item->trigger();
        } else if (where == "tool") {
            QAction* button = f.window->findChild<QToolBar*>("toolbar")->findChild<QAction*>(qname);
            QVERIFY2(button && button->isEnabled(), name.c_str());
            button->trigger();
        } else if (where == "context") {
            triggerAmong(f.find<QWidget>("fileList")->actions(), qname);
        } else if (where == "key") {
            QTest::keySequence(f.window.get(), QKeySequence(qname));
        } else if (where == "studioKey" || where == "addressKey") {
            QWidget* list = f.find<QWidget>(where == "studioKey" ? "studioList" : "addressList");
            selectFirst(list);
            list->setFocus();
            QTest::keySequence(list, QKeySequence(qname));
        } else if (where == "button") {
            if (name == "removeFromStudio")
                selectFirst(f.find<QWidget>("studioList"));
            if (name == "removeFromAddressList")
                selectFirst(f.find<QWidget>("addressList"));
            if (name == "addToAddressList")
                f.click(f.find<QTreeWidget>("candidateList"), "Pat");
            f.clickButton(name.c_str());
        } else if (where == "mini") {
            auto* mini = f.window->miniWindow();
            QVERIFY(mini && mini->isVisible());
            if (name == "miniKeyName")
                QTest::mouseClick(mini->findChild<QLineEdit*>(qname), Qt::LeftButton);
            else
                QTest::mouseClick(mini->findChild<QPushButton*>(qname), Qt::LeftButton);
        } else if (where == "miniMenu") {
            auto* menu = f.window->miniWindow()->findChild<QToolButton*>("miniMenu")->menu();
            triggerAmong(menu->actions(), qname);
        } else if (where == "list") {
            auto* button = f.window->keyChainWindow()->findChild<QPushButton*>(qname);
            QVERIFY2(button, name.c_str());
            QTest::mouseClick(button, Qt::LeftButton);
        } else if (where == "barcode") {
            f.action("actionShowQrCode")->trigger();
        } else if (where == "listMenu") {
            triggerAmong(f.window->keyChainWindow()->findChild<QWidget*>("entryList")->actions(), qname);
        } else {
            QFAIL(trigger.c_str());
        }
        if (f.window->batchRunning())
            QVERIFY(finished.count() > 0 || finished.wait(60000));
        QTest::qWait(50);
    }

    // In the barcode window: the zoom chosen with the arrow keys, and how many
    // times wider the symbol then shows than at first ("zoom:N").
    static std::function<std::string(QDialog*)> zoomTo(const QString& zoom)
    {
        return [zoom](QDialog* dialog) -> std::string {
            auto* symbol = dialog->findChild<QLabel*>("symbol");
            auto* choice = dialog->findChild<QComboBox*>("zoom");
            if (!symbol || !choice || symbol->pixmap().isNull())
                return {};
            const int first = symbol->pixmap().width();
            choice->setFocus();
            for (int step = 0; step < choice->count() && choice->currentText() != zoom; ++step)
                QTest::keyClick(choice, Qt::Key_Down);
            return "zoom:" + std::to_string(symbol->pixmap().width() / first);
        };
    }

    static void triggerAmong(const QList<QAction*>& actions, const QString& name)
    {
        for (QAction* item : actions)
            if (item->objectName() == name) {
                QVERIFY2(item->isEnabled(), qPrintable(name));
                item->trigger();
                return;
            }
        QFAIL(qPrintable(name));
    }

    static void selectFirst(QWidget* list)
    {
        auto* view = qobject_cast<QAbstractItemView*>(list);
        QVERIFY(view && view->model()->rowCount() > 0);
        const QModelIndex first = view->model()->index(0, 0);
        view->selectionModel()->select(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        view->setCurrentIndex(first);
    }

    std::unique_ptr<WindowFixture> fixture;
};

QTEST_MAIN(CommandTableTest)
#include "CommandTableTest.moc"

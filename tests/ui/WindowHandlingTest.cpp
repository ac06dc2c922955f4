// The windows as a user meets them: dialogs over the window they came from,
// the keyboard's Exit, the mini window's buttons, the main window's layout
// kept, Qt's own texts in the interface language and the first start's
// key-folder prompt.
#include "WindowFixture.h"

#include "app/Msg.h"
#include "ui/keys/CKeyChainList.h"
#include "ui/main/CTessaryDialogMini.h"
#include "ui/shared/QtInteraction.h"
#include "ui/shared/QtTranslations.h"
#include "workbench/KeySetWizardFlow.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSplitter>
#include <QTest>

#include <cstdlib>
#include <filesystem>

using mvx::test::WindowFixture;
using mvx::test::whenModalShows;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

// The main window over the desktop's own dialogs (not the scripted answers),
// in the fixture's program folder.
struct RealDialogs {
    explicit RealDialogs(WindowFixture& f)
        : interaction(dialogs), session(interaction, f.temp.file("home"), "en"), window(session)
    {
        dialogs.setTable(&session.table());
        dialogs.setParentWindow(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    ~RealDialogs() { dialogs.setParentWindow(nullptr); }

    mvx::ui::QtInteraction dialogs;
    mvx::ui::UiThreadInteraction interaction;
    mvx::AppSession session;
    mvx::ui::CTessaryDlg window;
};

QImage iconImage(const QPushButton* button) { return button->icon().pixmap(32, 32).toImage(); }

} // namespace

class WindowHandlingTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture = std::make_unique<WindowFixture>(); }
    void cleanup() { fixture.reset(); }

    // The destination list opened from the main window's toolbar: Modify
    // with nothing selected and Add open their dialogs over the list window,
    // painted; the key-file chooser names its filter once.
    void dialogsOfTheNestedListWindowAreShownOverIt()
    {
        RealDialogs real(*fixture);
        real.window.findChild<QAction*>("tool174")->trigger();
        mvx::ui::CKeyChainList* list = real.window.keyChainWindow();
        QVERIFY(list && QTest::qWaitForWindowActive(list));
        QTRY_COMPARE(QApplication::activeWindow(), list);

        PaintCounter painted;
        QWidget* boxParent = nullptr;
        QString boxText;
        whenModalShows<QMessageBox>([&](QMessageBox* box) {
            boxParent = box->parentWidget();
            boxText = box->text();
            box->installEventFilter(&painted);
            box->update();
            QTRY_VERIFY(painted.paints > 0);
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        QTest::mouseClick(list->findChild<QPushButton*>("modify"), Qt::LeftButton);
        QCOMPARE(boxText, QString::fromStdString(real.session.messenger().text(mvx::Msg::NoItemsSelected)));
        QCOMPARE(boxParent, list);

        QWidget* chooserParent = nullptr;
        QStringList filters;
        whenModalShows<QFileDialog>([&](QFileDialog* chooser) {
            chooserParent = chooser->parentWidget();
            auto* types = chooser->findChild<QComboBox*>("fileTypeCombo");
            for (int i = 0; types && i < types->count(); ++i)
                filters << types->itemText(i);
            chooser->reject();
        });
        list->activateWindow();  // the user's click on the list window
        QTRY_COMPARE(QApplication::activeWindow(), list);
        QTest::mouseClick(list->findChild<QPushButton*>("add"), Qt::LeftButton);
        QCOMPARE(chooserParent, list);
        QCOMPARE(filters, QStringList{"Public Key File(*.kpub)"});
    }

    // Focus starts in the file list; Ctrl+X there and Ctrl+Q anywhere end
    // the program, while Ctrl+X in the folder field stays the field's Cut.
    void exitByKeyboard()
    {
        WindowFixture& f = *fixture;
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        QCOMPARE(QApplication::focusWidget(), f.find<QWidget>("fileList"));
        QSignalSpy closed(f.window.get(), &mvx::ui::CTessaryDlg::closed);

        auto* folderField = f.find<QComboBox>("folderSelector")->lineEdit();
        folderField->setFocus();
        folderField->selectAll();
        QTest::keyClick(folderField, Qt::Key_X, Qt::ControlModifier);
        QVERIFY(f.window->isVisible());
        QVERIFY(folderField->text().isEmpty());  // cut, as in any text field
        QTest::keyClick(folderField, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(closed.count(), 1);

        f.window->show();
        QVERIFY(QTest::qWaitForWindowActive(f.window.get()));
        f.find<QWidget>("fileList")->setFocus();
        QTest::keyClick(f.find<QWidget>("fileList"), Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(closed.count(), 2);
    }

    // Each mini-window button names what it does, and the destination list
    // and the barcode have icons of their own.
    void miniWindowButtonsSayWhatTheyDo()
    {
        WindowFixture& f = *fixture;
        f.action("actionMiniaturization")->trigger();
        mvx::ui::CTessaryDialogMini* mini = f.window->miniWindow();
        QVERIFY(QTest::qWaitForWindowExposed(mini));
        const auto button = [mini](const char* name) { return mini->findChild<QPushButton*>(name); };
        QCOMPARE(button("miniKeyChainList")->text(), QString("KeyChain List"));
        QCOMPARE(button("miniEncrypt")->text(), QString("Encryption"));
        QVERIFY(!button("miniQrCode")->text().isEmpty());
        QVERIFY(!button("miniReturn")->text().isEmpty());
        QVERIFY(iconImage(button("miniKeyChainList")) != iconImage(button("miniQrCode")));
        // Not the style's grid and magnifier, which read as a QR code and a search.
        const QImage grid = mini->style()->standardIcon(QStyle::SP_FileDialogListView).pixmap(32, 32).toImage();
        const QImage search = mini->style()->standardIcon(QStyle::SP_FileDialogContentsView).pixmap(32, 32).toImage();
        QVERIFY(iconImage(button("miniKeyChainList")) != grid);
        QVERIFY(iconImage(button("miniQrCode")) != search);
        const QRect area = mini->screen()->availableGeometry();
        QVERIFY(area.contains(mini->frameGeometry()));
    }

    // The main window comes back with the size and splitters it was closed
    // with; the settings keep their keys' order and gain a section.
    void mainWindowLayoutIsKept()
    {
        WindowFixture& f = *fixture;
        f.window->resize(900, 610);
        auto* panes = f.window->findChild<QSplitter*>();
        panes->setSizes({300, 560});
        const QList<int> sizes = panes->sizes();
        const std::string before = f.settingsText();
        f.window->close();
        const std::string after = f.settingsText();
        QVERIFY(after.find("[Window]\nMainWindowGeometry=") != std::string::npos);
        QVERIFY(after.find("MainWindowSplitters=") != std::string::npos);
        QCOMPARE(QString::fromStdString(after.substr(0, after.find("[Window]"))).trimmed(),
                 QString::fromStdString(before).trimmed());

        f.window = std::make_unique<mvx::ui::CTessaryDlg>(*f.session);
        f.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
        QCOMPARE(f.window->size(), QSize(900, 610));
        QCOMPARE(f.window->findChild<QSplitter*>()->sizes(), sizes);
    }

    // A destination list shown again reads its folder again: a partner
    // registered meanwhile by another instance of the program is there.
    void listWindowReadsItsFolderWhenShownAgain()
    {
        WindowFixture& f = *fixture;
        f.action("actionKeyChainList")->trigger();
        mvx::ui::CKeyChainList* list = f.window->keyChainWindow();
        list->hide();
        mvx::test::ScriptedInteraction quiet;
        mvx::AppSession quinn(quiet, f.temp.file("quinn-home"), "en");
        quinn.makeKeySet({f.temp.file("quinn-keys/"), "quinn", "Quinn", "quinn@example.org"});
        mvx::AppSession other(quiet, f.temp.file("home"), "en");
        mvx::DestinationListEditor otherList(other.messenger(), other.keys(), {});
        QVERIFY(otherList.registerKeyAs(quinn.keys().ownPublicKeyPath(), {}, "Quinn", "quinn@example.org"));
        list->show();
        auto* entries = list->findChild<QTreeWidget*>("entryList");
        QVERIFY(!entries->findItems("Quinn", Qt::MatchStartsWith, 0).isEmpty());
    }

    // Qt's own texts and the calendars follow the interface language.
    void qtTextsAndCalendarsFollowTheLanguage()
    {
        WindowFixture& f = *fixture;
        mvx::ui::QtTranslations qtTexts(f.session->language());
        f.action("actionKeyChainList")->trigger();
        auto* calendar = f.window->keyChainWindow()->findChild<QCalendarWidget*>("limitDate");
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QString("Look in:"));
        QCOMPARE(calendar->locale().language(), QLocale::English);

        f.action("actionJapanese")->trigger();
        QVERIFY(qtTexts.loaded());
        QVERIFY(QCoreApplication::translate("QFileDialog", "Look in:") != QString("Look in:"));
        QCOMPARE(calendar->locale().language(), QLocale::Japanese);
        QCOMPARE(QLocale().language(), QLocale::Japanese);

        f.action("actionEnglish")->trigger();
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), QString("Look in:"));
        QCOMPARE(calendar->locale().language(), QLocale::English);
    }

    // A first start shows the key-folder prompt in its page with a folder
    // proposed in the documents folder, made when the user confirms.
    void firstStartProposesAKeyFolder()
    {
        WindowFixture& f = *fixture;
        const std::string home = f.temp.file("user");
        std::filesystem::create_directories(home + "/Documents");
        const std::string oldHome = std::getenv("HOME") ? std::getenv("HOME") : "";
        ::setenv("HOME", home.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        mvx::ui::QtInteraction dialogs;
        mvx::ui::UiThreadInteraction interaction(dialogs);
        mvx::AppSession first(interaction, f.temp.file("first-home"), "en");
        dialogs.setTable(&first.table());
        QString prompt, proposed;
        bool noteShown = false;
        whenModalShows<QDialog>([&](QDialog* page) {
            prompt = page->findChild<QLabel*>("folderPromptText")->text();
            proposed = page->findChild<QLineEdit*>("folderPath")->text();
            noteShown = page->findChild<QLabel*>("folderMadeNote")->isVisible();
            QTest::mouseClick(page->findChild<QPushButton*>("ok"), Qt::LeftButton);
        });
        mvx::KeySetWizardFlow flow(first);
        const auto root = flow.chooseKeyRoot();
        ::setenv("HOME", oldHome.c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        QCOMPARE(prompt, QString::fromStdString(first.messenger().text(mvx::Msg::SelectKeyFolder)));
        QCOMPARE(proposed, QString::fromStdString(home + "/Documents/Morvanex Keys/"));
        QVERIFY(noteShown);
        QVERIFY(root.has_value());
        QCOMPARE(QString::fromStdString(*root), proposed);
        QVERIFY(std::filesystem::is_directory(*root));
    }

private:
    std::unique_ptr<WindowFixture> fixture;
};

QTEST_MAIN(WindowHandlingTest)
#include "WindowHandlingTest.moc"

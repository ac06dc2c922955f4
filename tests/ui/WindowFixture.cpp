#include "WindowFixture.h"

#include "keys/DestinationListEditor.h"
#include "keys/KeyAuthenticator.h"

#include <QComboBox>
#include <QDialog>
#include <QPointer>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace mvx::test {

namespace {

// Pat authenticates my public key; the key made is registered in my list.
void registerPartner(const TempFolder& temp, AppSession& me)
{
    ScriptedInteraction quiet;
    AppSession pat(quiet, temp.file("pat-home"), "en");
    pat.makeKeySet({temp.file("pat-keys/"), "pat", "Pat", "pat@example.org"});
    KeyAuthenticator::Identity identity{pat.keys().ownPublicKeyPath(), pat.keys().ownPrivateKeyPath(),
                                        pat.keys().userName(), pat.keys().mail(), pat.keys().keyFolder(), {}};
    KeyAuthenticator authenticator(pat.messenger(), identity, {});
    const std::string made = authenticator.makeAuthenticatedKey(me.keys().ownPublicKeyPath(), SystemTime{}, true);
    DestinationListEditor list(me.messenger(), me.keys(), nullptr);
    list.registerKeyAs(made, {}, "Pat", "pat@example.org");
}

} // namespace

WindowFixture::WindowFixture(bool withKeySet)
{
    interaction = std::make_unique<ui::UiThreadInteraction>(script);
    session = std::make_unique<AppSession>(*interaction, temp.file("home"), "en");
    if (withKeySet) {
        session->makeKeySet({temp.file("keys/"), "me", "Me", "me@example.org"});
        registerPartner(temp, *session);
    }
    session->settings().useSmallMenu = 0;
    session->saveSettings();
    script.clear();
    window = std::make_unique<ui::CTessaryDlg>(*session);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
}

WindowFixture::~WindowFixture() { window.reset(); }

std::string WindowFixture::write(const std::string& name, const std::string& content) const
{
    const std::string path = temp.file(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    return path;
}

std::string WindowFixture::read(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool WindowFixture::exists(const std::string& path) { return std::filesystem::exists(path); }

std::string WindowFixture::settingsText() const { return read(temp.file("home/Values.dat")); }

void WindowFixture::showFolder(const std::string& folder)
{
    auto* selector = find<QComboBox>("folderSelector");
    selector->lineEdit()->clear();
    QTest::keyClicks(selector->lineEdit(), QString::fromStdString(folder));
    QTest::keyClick(selector->lineEdit(), Qt::Key_Return);
}

QModelIndex WindowFixture::row(QAbstractItemView* list, const QString& text) const
{
    const QAbstractItemModel* model = list->model();
    const auto found = model->match(model->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly);
    return found.isEmpty() ? QModelIndex() : found.first();
}

void WindowFixture::click(QAbstractItemView* list, const QString& text) const
{
    const QModelIndex item = row(list, text);
    QVERIFY2(item.isValid(), qPrintable(text));
    list->scrollTo(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, list->visualRect(item).center());
}

void WindowFixture::doubleClick(QAbstractItemView* list, const QString& text) const
{
    const QModelIndex item = row(list, text);
    QVERIFY2(item.isValid(), qPrintable(text));
    list->scrollTo(item);
    const QPoint at = list->visualRect(item).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

void WindowFixture::clickButton(const char* name) const
{
    auto* button = find<QPushButton>(name);
    QVERIFY2(button && button->isEnabled(), name);
    QTest::mouseClick(button, Qt::LeftButton);
}

void WindowFixture::tick(QCheckBox* box)
{
    QVERIFY(box);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->height() / 2, box->height() / 2));
}

void closeAfterFailure(QWidget* dialog)
{
    QPointer<QWidget> failed(dialog);
    while (QWidget* modal = QApplication::activeModalWidget()) {
        if (auto* open = qobject_cast<QDialog*>(modal))
            open->reject();
        else
            modal->close();
        if (modal == failed || QApplication::activeModalWidget() == modal)
            break;
    }
    if (failed && failed->isVisible())
        failed->close();
}

bool WindowFixture::runCommand(const char* actionName)
{
    QSignalSpy finished(window.get(), &ui::CTessaryDlg::batchFinished);
    action(actionName)->trigger();
    return finished.count() > 0 || finished.wait(60000);
}

} // namespace mvx::test

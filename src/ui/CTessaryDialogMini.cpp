#include "ui/CTessaryDialogMini.h"

#include "app/Msg.h"
#include "ui/CTessaryDlg.h"
#include "ui/StudioListWidget.h"
#include "workbench/AppSession.h"
#include "workbench/MiniWindowPlacement.h"
#include "workbench/WorkbenchCommands.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QGridLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

namespace mvx::ui {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

QPushButton* iconButton(QWidget* parent, const char* name, QStyle::StandardPixmap icon)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setIcon(parent->style()->standardIcon(icon));
    button->setIconSize(QSize(32, 32));
    button->setMinimumSize(64, 56);
    return button;
}

} // namespace

CTessaryDialogMini::CTessaryDialogMini(AppSession& session, CTessaryDlg& mainWindow)
    : session_(session), main_(mainWindow), encrypt_(iconButton(this, "miniEncrypt", QStyle::SP_DialogSaveButton)),
      qrCode_(iconButton(this, "miniQrCode", QStyle::SP_FileDialogContentsView)),
      keyChainList_(iconButton(this, "miniKeyChainList", QStyle::SP_FileDialogListView)),
      return_(iconButton(this, "miniReturn", QStyle::SP_TitleBarMaxButton)), login_(new QPushButton(this)),
      keyName_(new QLineEdit(this)), menu_(new QToolButton(this))
{
    setObjectName("CTessaryDialogMini");
    setAcceptDrops(true);
    login_->setObjectName("miniLogin");
    keyName_->setObjectName("miniKeyName");
    keyName_->setReadOnly(true);
    menu_->setObjectName("miniMenu");
    menu_->setPopupMode(QToolButton::InstantPopup);
    auto* menu = new QMenu(menu_);
    for (int command : {CTessaryDlg::CmdSettings, CTessaryDlg::CmdJapanese, CTessaryDlg::CmdEnglish,
                        CTessaryDlg::CmdAbout, CTessaryDlg::CmdHelpIndex})
        menu->addAction(main_.action(command));
    menu_->setMenu(menu);
    // A click on the key-name line chooses the key pair by hand.
    keyName_->installEventFilter(this);

    auto* grid = new QGridLayout(this);
    grid->addWidget(encrypt_, 0, 0);
    grid->addWidget(qrCode_, 0, 1);
    grid->addWidget(keyChainList_, 0, 2);
    grid->addWidget(return_, 0, 3);
    grid->addWidget(keyName_, 1, 0, 1, 2);
    grid->addWidget(login_, 1, 2);
    grid->addWidget(menu_, 1, 3);
    connect(encrypt_, &QPushButton::clicked, this, &CTessaryDialogMini::encrypt);
    connect(qrCode_, &QPushButton::clicked, main_.action(CTessaryDlg::CmdShowQrCode), &QAction::trigger);
    connect(login_, &QPushButton::clicked, &main_, &CTessaryDlg::loginToService);
    connect(return_, &QPushButton::clicked, this, &CTessaryDialogMini::returnToMainWindow);
    connect(keyChainList_, &QPushButton::clicked, &main_, &CTessaryDlg::showKeyChainList);

    session_.language().addObserver(this);
    relabel();
    setFixedSize(sizeHint());
}

CTessaryDialogMini::~CTessaryDialogMini() { session_.language().removeObserver(this); }

void CTessaryDialogMini::relabel()
{
    const auto t = [&](int slot) { return q(session_.messenger().text(slot)); };
    setWindowTitle(t(Msg::MiniMenuCaption));
    encrypt_->setToolTip(t(Msg::ToolEncryption));
    qrCode_->setToolTip(t(Msg::ToolBarcode));
    keyChainList_->setToolTip(t(Msg::ToolKeyChainList));
    return_->setToolTip(t(Msg::ReturnToMainWindow));
    for (QPushButton* button : {encrypt_, qrCode_, keyChainList_, return_})
        button->setAccessibleName(button->toolTip());
    login_->setText(t(Msg::LoginButton));
    menu_->setText(t(Msg::MenuMain));
    const CKeyManager& keys = session_.keys();
    keyName_->setAccessibleName(t(Msg::OwnKeyLabel));
    keyName_->setText(keys.hasOwnKeySet() ? QFileInfo(q(keys.ownPublicKeyPath())).fileName()
                                          : t(Msg::NoKeyFiles));
}

bool CTessaryDialogMini::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == keyName_ && event->type() == QEvent::MouseButtonRelease) {
        main_.action(CTessaryDlg::CmdChooseKeyPair)->trigger();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void CTessaryDialogMini::showPlaced()
{
    const Settings& settings = session_.settings();
    setWindowFlag(Qt::WindowStaysOnTopHint, settings.smallMenuTopmost != 0);
    const QRect area = (screen() ? screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const auto placeFrame = [&](QSize frame) {
        const auto place = MiniWindowPlacement::place(
            settings.smallMenuPosition, {area.x(), area.y(), area.width(), area.height()}, frame.width(),
            frame.height(), {settings.smallMenuPositionX, settings.smallMenuPositionY});
        move(place.x, place.y);
    };
    placeFrame(frameSize().isValid() && isVisible() ? frameSize() : sizeHint());
    show();
    raise();
    // Title bar and borders are known once the window is shown.
    placeFrame(frameGeometry().size());
}

void CTessaryDialogMini::encrypt()
{
    main_.offerStrayKeys();
    main_.runBatch([](BatchContext& context) { WorkbenchCommands(context).miniEncryptButton(); });
}

void CTessaryDialogMini::dropPaths(const std::vector<std::string>& paths)
{
    const bool selfEncrypt = session_.settings().ddSelfEncrypt != 0;
    IKeyDropHandler* keys = main_.keyDropHandler();
    main_.runBatch([paths, selfEncrypt, keys](BatchContext& context) {
        WorkbenchCommands(context).dropOnMiniWindow(paths, selfEncrypt, keys);
    });
}

void CTessaryDialogMini::dragEnterEvent(QDragEnterEvent* event)
{
    if (!StudioListWidget::localPaths(event->mimeData()).isEmpty() && !main_.batchRunning())
        event->acceptProposedAction();
}

void CTessaryDialogMini::dropEvent(QDropEvent* event)
{
    std::vector<std::string> paths;
    for (const QString& path : StudioListWidget::localPaths(event->mimeData()))
        paths.push_back(path.toStdString());
    event->acceptProposedAction();
    dropPaths(paths);
}

void CTessaryDialogMini::returnToMainWindow()
{
    session_.settings().useSmallMenu = 0;
    close();
}

void CTessaryDialogMini::done(int result)
{
    session_.settings().smallMenuPositionX = pos().x();
    session_.settings().smallMenuPositionY = pos().y();
    QDialog::done(result);
}

} // namespace mvx::ui

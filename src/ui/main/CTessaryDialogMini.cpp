#include "ui/main/CTessaryDialogMini.h"

#include "app/Msg.h"
#include "ui/main/CTessaryDlg.h"
#include "ui/main/StudioListWidget.h"
#include "ui/shared/WindowIcons.h"
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
#include <QTimer>
#include <QToolButton>

namespace mvx::ui {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

QPushButton* iconButton(QWidget* parent, const char* name, MiniIcon icon)
{
    auto* button = new QPushButton(parent);
    button->setObjectName(name);
    button->setIcon(miniWindowIcon(icon));
    button->setIconSize(QSize(32, 32));
    button->setMinimumHeight(48);
    return button;
}

} // namespace

CTessaryDialogMini::CTessaryDialogMini(AppSession& session, CTessaryDlg& mainWindow)
    : session_(session), main_(mainWindow), encrypt_(iconButton(this, "miniEncrypt", MiniIcon::Encrypt)),
      qrCode_(iconButton(this, "miniQrCode", MiniIcon::Barcode)),
      keyChainList_(iconButton(this, "miniKeyChainList", MiniIcon::DestinationList)),
      return_(iconButton(this, "miniReturn", MiniIcon::MainWindow)), login_(new QPushButton(this)),
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
    // Each icon has its short text beside it.
    for (QPushButton* button : {encrypt_, qrCode_, keyChainList_, return_}) {
        button->setText(button->toolTip());
        button->setAccessibleName(button->toolTip());
    }
    login_->setText(t(Msg::LoginButton));
    menu_->setText(t(Msg::MenuMain));
    const CKeyManager& keys = session_.keys();
    keyName_->setAccessibleName(t(Msg::OwnKeyLabel));
    keyName_->setText(keys.hasOwnKeySet() ? QFileInfo(q(keys.ownPublicKeyPath())).fileName()
                                          : t(Msg::NoKeyFiles));
    setFixedSize(sizeHint());
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
    setWindowFlag(Qt::WindowStaysOnTopHint, session_.settings().smallMenuTopmost != 0);
    placeByFrame();
    show();
    raise();
    // A window manager adds its frame only once the window is shown: placed
    // again when the frame is known.
    placedFrame_ = QSize();
    placeByFrame();
    QTimer::singleShot(100, this, &CTessaryDialogMini::placeByFrame);
}

// The frame (title bar and borders) inside the available screen area, where
// "SmallMenuPosition" puts it.
void CTessaryDialogMini::placeByFrame()
{
    const QSize frame = isVisible() ? frameGeometry().size() : sizeHint();
    if (frame == placedFrame_)
        return;
    placedFrame_ = frame;
    const Settings& settings = session_.settings();
    const QRect area = (screen() ? screen() : QGuiApplication::primaryScreen())->availableGeometry();
    const auto place = MiniWindowPlacement::place(
        settings.smallMenuPosition, {area.x(), area.y(), area.width(), area.height()}, frame.width(), frame.height(),
        {settings.smallMenuPositionX, settings.smallMenuPositionY});
    move(place.x, place.y);
}

void CTessaryDialogMini::moveEvent(QMoveEvent* event)
{
    QDialog::moveEvent(event);
    // The window manager framing the window moves it; the user's moves keep the frame's size.
    if (isVisible() && placedFrame_.isValid() && frameGeometry().size() != placedFrame_)
        placeByFrame();
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

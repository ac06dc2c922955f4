#include "ui/containers/CQrcodeViewDlg.h"

#include "app/Msg.h"
#include "workbench/AppSession.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace mvx::ui {

namespace {

QPushButton* button(const char* name, QWidget* parent)
{
    auto* made = new QPushButton(parent);
    made->setObjectName(name);
    return made;
}

} // namespace

CQrcodeViewDlg::CQrcodeViewDlg(AppSession& session, std::function<void()> registerKey, QWidget* parent)
    : QDialog(parent), session_(session), view_(session), registerKey_(std::move(registerKey)),
      picture_(new QLabel(this)), explanation_(new QLabel(this)), zoomLabel_(new QLabel(this)),
      zoom_(new QComboBox(this)), save_(button("save", this)), copy_(button("copy", this)),
      register_(button("register", this)), close_(button("close", this))
{
    setObjectName("CQrcodeViewDlg");
    picture_->setObjectName("symbol");
    picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    explanation_->setObjectName("explanation");
    explanation_->setWordWrap(true);
    explanation_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    explanation_->setFixedWidth(228);
    explanation_->setMinimumHeight(120);
    zoom_->setObjectName("zoom");
    for (int factor : {1, 2, 4})
        zoom_->addItem(QString::fromUtf8("×%1").arg(factor), factor);
    zoomLabel_->setBuddy(zoom_);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(20, 20, 20, 12);
    grid->setHorizontalSpacing(20);
    grid->addWidget(picture_, 0, 0, 2, 1);
    grid->setRowMinimumHeight(0, 15);
    grid->addWidget(explanation_, 0, 1, 2, 1, Qt::AlignTop);
    auto* zoomRow = new QHBoxLayout;
    zoomRow->addWidget(zoomLabel_);
    zoomRow->addWidget(zoom_);
    zoomRow->addStretch();
    grid->addLayout(zoomRow, 2, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* each : {save_, copy_, register_, close_})
        buttons->addWidget(each);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);

    register_->setEnabled(static_cast<bool>(registerKey_));
    connect(save_, &QPushButton::clicked, this, [this] { view_.save(); });
    connect(copy_, &QPushButton::clicked, this, &CQrcodeViewDlg::copy);
    connect(register_, &QPushButton::clicked, this, [this] { registerKey_(); });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    connect(zoom_, &QComboBox::currentIndexChanged, this, &CQrcodeViewDlg::showPicture);

    session_.language().addObserver(this);
    relabel();
    if (view_.make())
        showPicture();
}

CQrcodeViewDlg::~CQrcodeViewDlg() { session_.language().removeObserver(this); }

void CQrcodeViewDlg::relabel()
{
    const auto t = [this](int slot) { return QString::fromStdString(session_.messenger().text(slot)); };
    setWindowTitle(t(Msg::BarcodeCaption));
    explanation_->setText(t(Msg::BarcodeExplanation));
    zoomLabel_->setText(t(Msg::BarcodeZoom));
    save_->setText(t(Msg::BarcodeSave));
    copy_->setText(t(Msg::BarcodeCopy));
    register_->setText(t(Msg::BarcodeRegister));
    close_->setText(t(Msg::BarcodeClose));
}

QImage CQrcodeViewDlg::symbolImage(int pixelsPerModule) const
{
    const QrSymbolBitmap* symbol = view_.picture();
    if (!symbol)
        return {};
    const int side = symbol->side() * pixelsPerModule;
    QImage image(side, side, QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(0);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if (symbol->isBlack(x / pixelsPerModule, y / pixelsPerModule))
                image.setPixel(x, y, 1);
    return image;
}

void CQrcodeViewDlg::showPicture()
{
    // One device pixel per module (times the zoom), also on a high-density screen.
    QPixmap pixmap = QPixmap::fromImage(symbolImage(zoom_->currentData().toInt()));
    pixmap.setDevicePixelRatio(devicePixelRatioF());
    picture_->setPixmap(pixmap);
}

void CQrcodeViewDlg::copy()
{
    if (ready())
        QApplication::clipboard()->setImage(symbolImage(QrSymbolBitmap::kFilePixelsPerModule));
}

} // namespace mvx::ui

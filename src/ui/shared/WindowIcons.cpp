#include "ui/shared/WindowIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStyle>

#include <iterator>
#include <map>

namespace mvx::ui {

namespace {

// The ".klx" file type's icon (data/icons/application-x-morvanex-klx.svg),
// drawn here since the window has no SVG renderer: a page with a padlock.
QIcon drawContainerIcon()
{
    QPixmap picture(64, 64);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath page;
    page.moveTo(12, 4);
    page.lineTo(40, 4);
    page.lineTo(52, 16);
    page.lineTo(52, 60);
    page.lineTo(12, 60);
    page.closeSubpath();
    painter.setPen(QPen(QColor(0x55, 0x55, 0x55), 2));
    painter.setBrush(QColor(0xf4, 0xf4, 0xf4));
    painter.drawPath(page);
    painter.drawPolyline(QPolygonF({QPointF(40, 4), QPointF(40, 16), QPointF(52, 16)}));
    const QColor lock(0x2b, 0x57, 0x97);
    painter.setPen(Qt::NoPen);
    painter.setBrush(lock);
    painter.drawRoundedRect(QRectF(22, 34, 20, 16), 2, 2);
    painter.setPen(QPen(lock, 3));
    painter.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    shackle.moveTo(26, 34);
    shackle.lineTo(26, 29);
    shackle.arcTo(QRectF(26, 23, 12, 12), 180, -180);
    shackle.lineTo(38, 34);
    painter.drawPath(shackle);
    painter.end();
    return QIcon(picture);
}

// The icons made so far; let go with the application.
struct MadeIcons {
    std::map<QStyle::StandardPixmap, QIcon> standard;
    QIcon container;
};

MadeIcons& madeIcons()
{
    static MadeIcons* made = [] {
        qAddPostRoutine([] {
            madeIcons().standard.clear();
            madeIcons().container = QIcon();
        });
        return new MadeIcons;
    }();
    return *made;
}

constexpr int kDrawnSize = 32;

QPixmap blankPixmap()
{
    QPixmap pixmap(kDrawnSize, kDrawnSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

// Bars of a linear barcode on a white label.
QIcon drawnBarcode()
{
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);
    painter.fillRect(2, 6, 28, 20, Qt::white);
    painter.setPen(QPen(Qt::darkGray, 1));
    painter.drawRect(2, 6, 27, 19);
    const int widths[] = {2, 1, 1, 3, 1, 2, 1, 1, 2, 3, 1, 1};
    int x = 5;
    for (size_t i = 0; i < std::size(widths) && x < 28; ++i) {
        if (i % 2 == 0)
            painter.fillRect(x, 9, widths[i], 14, Qt::black);
        x += widths[i] + 1;
    }
    return QIcon(pixmap);
}

// An address card: a person beside three lines.
QIcon drawnAddressList()
{
    QPixmap pixmap = blankPixmap();
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(60, 60, 60), 1.5));
    painter.setBrush(QColor(250, 240, 200));
    painter.drawRoundedRect(QRectF(2.5, 5.5, 27, 21), 3, 3);
    painter.setBrush(QColor(70, 110, 170));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRectF(6, 9, 7, 7));
    painter.drawPie(QRectF(4, 16, 11, 10), 0, 180 * 16);
    painter.setPen(QPen(QColor(60, 60, 60), 2));
    for (int y : {11, 16, 21})
        painter.drawLine(17, y, 26, y);
    return QIcon(pixmap);
}

QIcon themed(const char* name, const QIcon& fallback)
{
    return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : fallback;
}

} // namespace

QIcon sharedStandardIcon(QStyle::StandardPixmap pixmap)
{
    auto& made = madeIcons().standard;
    const auto found = made.find(pixmap);
    if (found != made.end())
        return found->second;
    return made.emplace(pixmap, QApplication::style()->standardIcon(pixmap)).first->second;
}

QIcon fileIcon(FileKind kind)
{
    switch (kind) {
    case FileKind::Folder:
        return sharedStandardIcon(QStyle::SP_DirIcon);
    case FileKind::Container: {
        QIcon& container = madeIcons().container;
        if (container.isNull())
            container = drawContainerIcon();
        return container;
    }
    case FileKind::Other:
        break;
    }
    return sharedStandardIcon(QStyle::SP_FileIcon);
}

QIcon miniWindowIcon(MiniIcon kind)
{
    switch (kind) {
    case MiniIcon::Encrypt:
        return themed("document-encrypt", sharedStandardIcon(QStyle::SP_DialogSaveButton));
    case MiniIcon::Barcode:
        return drawnBarcode();  // the desktop themes have none
    case MiniIcon::DestinationList:
        return themed("x-office-address-book", drawnAddressList());
    case MiniIcon::MainWindow:
        break;
    }
    return themed("view-restore", sharedStandardIcon(QStyle::SP_TitleBarMaxButton));
}

QIcon candidateIcon(const CandidateList::Item& item)
{
    switch (item.kind) {
    case CandidateList::Item::Kind::Parent:
        return sharedStandardIcon(QStyle::SP_FileDialogToParent);
    case CandidateList::Item::Kind::Subfolder:
        return sharedStandardIcon(QStyle::SP_DirIcon);
    case CandidateList::Item::Kind::Entry:
        break;
    }
    return addressIcon(item.authenticated ? AddressRow::Kind::Authenticated : AddressRow::Kind::Plain);
}

QIcon addressIcon(AddressRow::Kind kind)
{
    switch (kind) {
    case AddressRow::Kind::Folder:
        return sharedStandardIcon(QStyle::SP_DirIcon);
    case AddressRow::Kind::Authenticated:
        return sharedStandardIcon(QStyle::SP_DialogApplyButton);
    case AddressRow::Kind::Plain:
        break;
    }
    return sharedStandardIcon(QStyle::SP_FileIcon);
}

QTreeWidgetItem* candidateRow(const CandidateList::Item& item, const QStringList& texts)
{
    auto* row = new QTreeWidgetItem(texts);
    row->setIcon(0, candidateIcon(item));
    return row;
}

QTreeWidgetItem* addressRow(const AddressRow& address, const QStringList& texts)
{
    auto* row = new QTreeWidgetItem(texts);
    row->setIcon(0, addressIcon(address.kind));
    return row;
}

} // namespace mvx::ui

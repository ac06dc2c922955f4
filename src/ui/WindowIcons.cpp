#include "ui/WindowIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

#include <iterator>

namespace mvx::ui {

namespace {

QIcon standard(QStyle::StandardPixmap pixmap) { return QApplication::style()->standardIcon(pixmap); }

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

QIcon miniWindowIcon(MiniIcon kind)
{
    switch (kind) {
    case MiniIcon::Encrypt:
        return themed("document-encrypt", standard(QStyle::SP_DialogSaveButton));
    case MiniIcon::Barcode:
        return drawnBarcode();  // the desktop themes have none
    case MiniIcon::DestinationList:
        return themed("x-office-address-book", drawnAddressList());
    case MiniIcon::MainWindow:
        break;
    }
    return themed("view-restore", standard(QStyle::SP_TitleBarMaxButton));
}

QIcon candidateIcon(const CandidateList::Item& item)
{
    switch (item.kind) {
    case CandidateList::Item::Kind::Parent:
        return standard(QStyle::SP_FileDialogToParent);
    case CandidateList::Item::Kind::Subfolder:
        return standard(QStyle::SP_DirIcon);
    case CandidateList::Item::Kind::Entry:
        break;
    }
    return addressIcon(item.authenticated ? AddressRow::Kind::Authenticated : AddressRow::Kind::Plain);
}

QIcon addressIcon(AddressRow::Kind kind)
{
    switch (kind) {
    case AddressRow::Kind::Folder:
        return standard(QStyle::SP_DirIcon);
    case AddressRow::Kind::Authenticated:
        return standard(QStyle::SP_DialogApplyButton);
    case AddressRow::Kind::Plain:
        break;
    }
    return standard(QStyle::SP_FileIcon);
}

} // namespace mvx::ui

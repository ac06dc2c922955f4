#include "ui/WindowIcons.h"

#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

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

#include "ui/WindowIcons.h"

#include <QApplication>
#include <QStyle>

namespace mvx::ui {

namespace {

QIcon standard(QStyle::StandardPixmap pixmap) { return QApplication::style()->standardIcon(pixmap); }

} // namespace

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

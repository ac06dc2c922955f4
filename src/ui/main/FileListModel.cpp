#include "ui/main/FileListModel.h"

#include "ui/shared/WindowIcons.h"
#include "workbench/BatchFiles.h"

#include <QDateTime>
#include <QLocale>

namespace mvx::ui {

FileListModel::FileListModel(FilePane& pane, QObject* parent) : QAbstractTableModel(parent), pane_(pane) {}

void FileListModel::reload()
{
    beginResetModel();
    endResetModel();
}

void FileListModel::setHeaders(const QStringList& headers)
{
    headers_ = headers;
    emit headerDataChanged(Qt::Horizontal, 0, ColumnCount - 1);
}

int FileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(pane_.entries().size());
}

int FileListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant FileListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<size_t>(index.row()) >= pane_.entries().size())
        return {};
    const auto row = static_cast<size_t>(index.row());
    if (role == Qt::DisplayRole)
        return text(index.column() == NameColumn ? pane_.entries()[row] : pane_.detailed(row), index.column());
    if (role == Qt::DecorationRole && index.column() == NameColumn) {
        const auto& entry = pane_.entries()[row];
        if (entry.folder)
            return fileIcon(FileKind::Folder);
        return fileIcon(BatchFiles::endsWithLower(entry.name, ".klx") ? FileKind::Container : FileKind::Other);
    }
    return {};
}

QString FileListModel::text(const FilePane::Entry& entry, int column) const
{
    switch (column) {
    case NameColumn:
        return QString::fromStdString(entry.name);
    case SizeColumn:
        return entry.folder ? QString() : QLocale().formattedDataSize(static_cast<qint64>(entry.size));
    case DateColumn:
        return QDateTime::fromSecsSinceEpoch(entry.modified).toString("yyyy/MM/dd HH:mm");
    default:
        return {};
    }
}

QVariant FileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headers_.size())
        return headers_[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace mvx::ui

#pragma once

#include "workbench/FilePane.h"

#include <QAbstractTableModel>
#include <QStringList>

namespace mvx::ui {

// The file pane's rows over FilePane: name with its kind's icon, size and
// date. Texts are made for the rows a view asks for, so a folder of any size
// lists in one pass over its names.
class FileListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NameColumn, SizeColumn, DateColumn, ColumnCount };

    FileListModel(FilePane& pane, QObject* parent = nullptr);

    // The pane has listed its folder again.
    void reload();
    void setHeaders(const QStringList& headers);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QString text(const FilePane::Entry& entry, int column) const;

    FilePane& pane_;
    QStringList headers_;
};

} // namespace mvx::ui

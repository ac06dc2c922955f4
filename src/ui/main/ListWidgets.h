#pragma once

#include <QAbstractItemView>
#include <QEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

namespace mvx::ui {

// The rows selected in a list, in row order.
inline std::vector<size_t> selectedRows(const QAbstractItemView* list)
{
    std::vector<size_t> rows;
    for (const QModelIndex& index : list->selectionModel()->selectedRows())
        rows.push_back(static_cast<size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

// A flat list with sortable-looking headers but no tree decoration.
inline void makeFlatList(QTreeView* list, const char* name)
{
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setUniformRowHeights(true);
}

// Fills a flat list in one insertion: row by row, each insertion lays the
// list out again.
inline void fillFlatList(QTreeWidget* list, const QList<QTreeWidgetItem*>& rows)
{
    list->clear();
    list->addTopLevelItems(rows);
}

// Stretches a list's last column over the room its columns leave, as long as
// they fit; when they do not, the list scrolls sideways rather than cut the
// last column's texts.
class LastColumnStretch : public QObject {
public:
    explicit LastColumnStretch(QTreeView* list) : QObject(list), list_(list)
    {
        setObjectName("lastColumnStretch");
        list->viewport()->installEventFilter(this);
    }
    void setContentWidth(int width)
    {
        contentWidth_ = width;
        update();
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            update();
        return false;
    }

private:
    void update() { list_->header()->setStretchLastSection(contentWidth_ <= list_->viewport()->width()); }

    QTreeView* list_;
    int contentWidth_ = 0;
};

// Every column as wide as its header and its rows (the rows in view and
// some below them), the last one stretched over what is left.
inline void fitColumns(QTreeView* list)
{
    QObject* made = list->findChild<QObject*>("lastColumnStretch", Qt::FindDirectChildrenOnly);
    auto* stretch = made ? static_cast<LastColumnStretch*>(made) : new LastColumnStretch(list);
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    int width = 0;
    for (int column = 0; column < header->count(); ++column) {
        list->resizeColumnToContents(column);
        width += header->sectionSize(column);
    }
    stretch->setContentWidth(width);
}

} // namespace mvx::ui

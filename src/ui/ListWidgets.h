#pragma once

#include <QTreeWidget>

#include <vector>

namespace mvx::ui {

// The rows selected in a list, in row order.
inline std::vector<size_t> selectedRows(const QTreeWidget* list)
{
    std::vector<size_t> rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->isSelected())
            rows.push_back(static_cast<size_t>(i));
    return rows;
}

// A flat list with sortable-looking headers but no tree decoration.
inline void makeFlatList(QTreeWidget* list, const char* name)
{
    list->setObjectName(name);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setUniformRowHeights(true);
}

} // namespace mvx::ui

#include "ui/main/StudioListWidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <algorithm>

namespace mvx::ui {

StudioListWidget::StudioListWidget(QWidget* parent) : QListWidget(parent)
{
    setObjectName("studioList");
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setUniformItemSizes(true);
}

// One insertion for every path: item by item, each lays the list out again.
void StudioListWidget::showPaths(const std::vector<std::string>& paths)
{
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(paths.size()));
    for (const auto& path : paths)
        texts << QString::fromStdString(path);
    clear();
    addItems(texts);
}

std::vector<std::string> StudioListWidget::selectedPaths() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    std::vector<std::string> paths;
    for (int row : rows)
        paths.push_back(item(row)->text().toStdString());
    return paths;
}

QStringList StudioListWidget::localPaths(const QMimeData* data)
{
    QStringList paths;
    if (!data)
        return paths;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

void StudioListWidget::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void StudioListWidget::dragMoveEvent(QDragMoveEvent* event)
{
    if (!localPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void StudioListWidget::dropEvent(QDropEvent* event)
{
    const QStringList paths = localPaths(event->mimeData());
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    emit pathsDropped(paths);
}

} // namespace mvx::ui

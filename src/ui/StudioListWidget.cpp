#include "ui/StudioListWidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace mvx::ui {

StudioListWidget::StudioListWidget(QWidget* parent) : QListWidget(parent)
{
    setObjectName("studioList");
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
}

void StudioListWidget::showPaths(const std::vector<std::string>& paths)
{
    clear();
    for (const auto& path : paths)
        addItem(QString::fromStdString(path));
}

std::vector<std::string> StudioListWidget::selectedPaths() const
{
    std::vector<std::string> paths;
    for (int i = 0; i < count(); ++i)
        if (item(i)->isSelected())
            paths.push_back(item(i)->text().toStdString());
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

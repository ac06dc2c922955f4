#pragma once

#include <QListWidget>
#include <QStringList>

namespace mvx::ui {

// The studio list box: shows the collected paths and takes files and
// folders dropped from file managers (text/uri-list).
class StudioListWidget : public QListWidget {
    Q_OBJECT
public:
    explicit StudioListWidget(QWidget* parent = nullptr);

    void showPaths(const std::vector<std::string>& paths);
    std::vector<std::string> selectedPaths() const;

    // Local paths of a drop's URLs; other URLs are left out.
    static QStringList localPaths(const QMimeData* data);

signals:
    void pathsDropped(const QStringList& paths);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
};

} // namespace mvx::ui

#pragma once

#include "workbench/FilePane.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QToolButton;
class QModelIndex;
class QTreeView;

namespace mvx {
class CMessageTable;
}

namespace mvx::ui {

class FileListModel;

// The file pane: folder selector, up and refresh buttons, the files of the
// folder shown and "Encrypted Files Only", over FilePane.
class FilePaneView : public QWidget {
    Q_OBJECT
public:
    explicit FilePaneView(QWidget* parent = nullptr);

    void relabel(const CMessageTable& table);
    // Lists the folder shown again.
    void refresh();
    void showFolder(const QString& folder);

    const FilePane& pane() const { return pane_; }
    std::vector<std::string> selectedNames() const;
    std::vector<std::string> selectedPaths() const;
    QTreeView* list() const { return list_; }

signals:
    // The refresh button: the window also checks its lists.
    void refreshRequested();
    // A file (not a folder) was double-clicked or entered.
    void fileActivated(const QString& path);

private:
    void fillSelector();
    void showEntries();
    void activated(const QModelIndex& index);
    void fitDetailColumns();

    FilePane pane_;
    QComboBox* selector_;
    QToolButton* up_;
    QToolButton* refresh_;
    QTreeView* list_;
    FileListModel* model_;
    QCheckBox* encryptedOnly_;
};

} // namespace mvx::ui

#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace mvx {
class CMessenger;
}

namespace mvx::ui {

// "Output Folder": the field, "Change Folder" (a folder chooser through the
// interaction interface) and the note that empty means beside the file.
class OutputFolderRow : public QWidget {
    Q_OBJECT
public:
    OutputFolderRow(CMessenger& messenger, QWidget* parent = nullptr);

    void relabel();
    QString folder() const;
    void setFolder(const QString& folder);

private:
    void browse();

    CMessenger& messenger_;
    QLabel* caption_;
    QLineEdit* field_;
    QPushButton* change_;
    QLabel* note_;
};

} // namespace mvx::ui

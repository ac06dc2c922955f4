#pragma once

#include "workbench/HistoryViewer.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace mvx {
class CMessageTable;
}

namespace mvx::ui {

// ".KLX Logs View": a container's file name and folder and one row per
// recorded event (date, operation, user name, mail address).
class CKlxHistoryViewDlg : public QDialog {
    Q_OBJECT
public:
    CKlxHistoryViewDlg(const CMessageTable& table, const HistoryViewer::View& view, QWidget* parent = nullptr);

private:
    void relabel();

    const CMessageTable& table_;
    QLabel* text_;
    QLabel* fileNameLabel_;
    QLabel* folderLabel_;
    QLineEdit* fileName_;
    QLineEdit* folder_;
    QTreeWidget* rows_;
    QPushButton* close_;
};

} // namespace mvx::ui

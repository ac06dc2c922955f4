#pragma once

#include "keys/DestinationListEditor.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace mvx {
class CMessenger;
}

namespace mvx::ui {

// "Add" / "Modify": name, mail address, key file and folder of one entry of
// the destination list. The checks of OK belong to the list's logic, which
// shows this dialog again after a refusal.
class CKeyChainList_Add : public QDialog {
    Q_OBJECT
public:
    CKeyChainList_Add(mvx::DestinationListEditor::EntryFields& fields, bool modify, CMessenger& messenger,
                      QWidget* parent = nullptr);

    void accept() override;

    // The list's entry dialog over this window.
    static mvx::DestinationListEditor::EntryDialog opener(CMessenger& messenger, QWidget* parent);

private:
    void relabel(bool modify);
    void browseKeyFile();
    void browseFolder();

    mvx::DestinationListEditor::EntryFields& fields_;
    CMessenger& messenger_;
    QLabel* nameLabel_;
    QLabel* mailLabel_;
    QLabel* keyFileLabel_;
    QLabel* folderLabel_;
    QLineEdit* name_;
    QLineEdit* mail_;
    QLineEdit* keyFile_;
    QLineEdit* folder_;
    QPushButton* browseKeyFile_;
    QPushButton* browseFolder_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* stop_;
};

} // namespace mvx::ui

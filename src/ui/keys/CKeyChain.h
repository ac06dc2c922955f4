#pragma once

#include "keys/CKeyChain.h"

#include <QDialog>

#include <optional>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace mvx::ui {

// "PublicKey Authetication": the public keys of a folder with their
// "Auth-Log" column, the authentication history below, and "Change Folder".
class CKeyChain : public QDialog {
    Q_OBJECT
public:
    CKeyChain(CMessenger& messenger, const CAuthManager& history, std::string ownPublicKeyPath, std::string folder,
              QWidget* parent = nullptr);

    void accept() override;
    // After Accepted: the key file chosen.
    const std::string& chosen() const { return chosen_; }
    const std::string& folder() const { return folder_; }

private:
    void relabel();
    void showKeys();
    void showLogs();
    void changeFolder();

    CMessenger& messenger_;
    const CAuthManager& history_;
    mvx::CKeyChain logic_;
    std::string folder_;
    std::vector<mvx::CKeyChain::Row> rows_;
    std::string chosen_;
    QLabel* heading_;
    QLabel* prompt_;
    QTreeWidget* keys_;
    QLabel* logsCaption_;
    QTreeWidget* logs_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* changeFolder_;
};

} // namespace mvx::ui

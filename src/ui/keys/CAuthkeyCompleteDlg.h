#pragma once

#include "keys/KeyAuthenticator.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace mvx {
class IMailHandOver;
}

namespace mvx::ui {

// "Key Authentication Complete": the partner's key, the own private key and
// the authenticated key made, with "&Finish" and "&Send E-Mail" (one mail
// per key made in this run) and the box to go on with other keys.
class CAuthkeyCompleteDlg : public QDialog {
    Q_OBJECT
public:
    CAuthkeyCompleteDlg(CMessenger& messenger, const std::vector<std::string>& lines,
                        std::vector<KeyAuthenticator::Mail> mails, IMailHandOver& mail, QWidget* parent = nullptr);

    bool continueWithOtherKeys() const;

private:
    void relabel();
    void sendMail();

    CMessenger& messenger_;
    std::vector<KeyAuthenticator::Mail> mails_;
    IMailHandOver& mail_;
    QLabel* text_;
    QTreeWidget* files_;
    QCheckBox* continue_;
    QPushButton* finish_;
    QPushButton* sendMail_;
};

} // namespace mvx::ui

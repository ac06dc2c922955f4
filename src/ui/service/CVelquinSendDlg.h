#pragma once

#include "workbench/ServiceSendForm.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace mvx {
class AppSession;
}

namespace mvx::ui {

// Sends files through the web service: upload to the own folder, easy send,
// or transfer encrypted for the addresses' keys. Subject, message and (but
// for the upload) the addresses; Send asks the password where the request
// needs the account and runs it in the progress window.
class CVelquinSendDlg : public QDialog {
    Q_OBJECT
public:
    CVelquinSendDlg(AppSession& session, ServiceSendForm::Mode mode, const std::vector<std::string>& files,
                    QWidget* parent = nullptr);

    void relabel();
    // True once the files were sent.
    bool sent() const { return sent_; }

private:
    void send();

    AppSession& session_;
    ServiceSendForm form_;
    bool sent_ = false;
    QListWidget* files_;
    QLabel* subjectLabel_;
    QLabel* messageLabel_;
    QLabel* addressesLabel_;
    QLineEdit* subject_;
    QPlainTextEdit* message_;
    QPlainTextEdit* addresses_;
    QPushButton* send_;
    QPushButton* cancel_;
};

} // namespace mvx::ui

#pragma once

#include "workbench/ServiceAction.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace mvx {
class AppSession;
}

namespace mvx::ui {

// Asks the password of the stored mail address and runs a request that
// needs the account (the login itself, or the request given) in the
// progress window. A refused password keeps the dialog open; the password
// is dropped as soon as the request has ended.
class CVelquinLoginDiag : public QDialog {
    Q_OBJECT
public:
    CVelquinLoginDiag(AppSession& session, ServiceAction::Request request, QWidget* parent = nullptr);

    const ServiceAction::Result& result() const { return result_; }
    void relabel();

private:
    void login();

    AppSession& session_;
    ServiceAction::Request request_;
    ServiceAction::Result result_;
    QLabel* prompt_;
    QLabel* mailLabel_;
    QLabel* passwordLabel_;
    QLineEdit* mail_;
    QLineEdit* password_;
    QPushButton* login_;
    QPushButton* cancel_;
};

} // namespace mvx::ui

#pragma once

#include "keys/AuthExpiryRules.h"

#include <QDialog>

class QCalendarWidget;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace mvx::ui {

// The expiry of an authenticated key: no expiry or an expiry, chosen from the
// preset periods or on the calendar. "Enforcement of Authenication" fixes it
// through the fields' logic, which refuses a calendar day before tomorrow.
class CAuthKeyLimitSetDlg : public QDialog {
    Q_OBJECT
public:
    CAuthKeyLimitSetDlg(mvx::AuthExpiryRules& fields, CMessenger& messenger, QWidget* parent = nullptr);

    void accept() override;

private:
    void relabel();
    void applyEnabling();

    mvx::AuthExpiryRules& fields_;
    CMessenger& messenger_;
    QLabel* text_;
    QRadioButton* noLimit_;
    QRadioButton* setLimit_;
    QRadioButton* preset_;
    QRadioButton* direct_;
    QListWidget* presets_;
    QCalendarWidget* calendar_;
    QPushButton* enforce_;
    QPushButton* cancel_;
};

} // namespace mvx::ui

#pragma once

#include "workbench/EncryptOptionRules.h"

#include <QDialog>

class QCheckBox;

namespace mvx {
class CMessenger;
}

namespace mvx::ui {

class OutputFolderRow;
class TimeLimitBox;

// "Setting of encryption in details", shown by the Encrypt button when
// "Setting for Encryption" is ticked. OK runs the checks of the fields'
// logic and stays open on a refusal.
class CEncryptOptDlg : public QDialog {
    Q_OBJECT
public:
    CEncryptOptDlg(mvx::EncryptOptionRules& fields, CMessenger& messenger, QWidget* parent = nullptr);

    void accept() override;

private:
    void relabel();

    mvx::EncryptOptionRules& fields_;
    CMessenger& messenger_;
    QCheckBox* manageLogs_;
    QCheckBox* deleteFiles_;
    TimeLimitBox* limit_;
    OutputFolderRow* output_;
};

} // namespace mvx::ui

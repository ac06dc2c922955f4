#pragma once

#include <QDialog>

class QButtonGroup;
class QCheckBox;

namespace mvx {
class CMessenger;
struct OptionsValues;
}

namespace mvx::ui {

// "Setting MiniStudio": where the mini window shows, whether it stays on
// top, and what a drop on it does. OK writes into the options' values.
class COptionDetailDlg : public QDialog {
    Q_OBJECT
public:
    COptionDetailDlg(OptionsValues& values, CMessenger& messenger, QWidget* parent = nullptr);

    void accept() override;

private:
    OptionsValues& values_;
    QButtonGroup* position_;
    QCheckBox* topmost_;
    QCheckBox* dropEncryptsForOneself_;
};

} // namespace mvx::ui

#pragma once

#include "app/OptionsRules.h"

#include <QDialog>

#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace mvx {
class CMessenger;
class IFolderFacts;
}

namespace mvx::ui {

// "Settings": deletion after encryption and decryption, the folder for
// encrypted files, the mini window, the owner's name and mail, the specific
// folder with its automatic handling and the idle timer. The enabling, the
// Default button, the folder browsers and the OK checks are OptionsRules';
// OK stays open on a refusal and otherwise hands every value back.
class COptions : public QDialog {
    Q_OBJECT
public:
    struct Context {
        CMessenger& messenger;
        const IFolderFacts& facts;
        std::string keyPairRoot;
        std::string programFolder;
        bool ownPublicKeyExists = false;
    };

    COptions(const OptionsValues& values, Context context, QWidget* parent = nullptr);

    const OptionsValues& values() const { return values_; }
    void accept() override;

private:
    QCheckBox* addCheck(const char* name, int slot);
    QPushButton* addButton(const char* name, int slot);
    QLayout* buildLayout();
    void showValues();
    void showEnabling();
    void readValues();
    void encAndDecToggled();
    void useTimerToggled();
    void restoreDefaults();
    void browseEncryptedFileFolder();
    void browseSpecificFolder();
    void showDetail();

    OptionsValues values_;
    OptionsEnabled enabled_;
    Context context_;
    QCheckBox* deleteCheck1_;
    QCheckBox* deleteCheck2_;
    QCheckBox* useSmallMenu_;
    QCheckBox* noUseContextMenu_;
    QCheckBox* encAndDec_;
    QCheckBox* klxKeep_;
    QCheckBox* inquireUsb_;
    QCheckBox* useTimer_;
    QLineEdit* destPath1_;
    QLineEdit* destPath2_;
    QLineEdit* userName_;
    QLineEdit* mail_;
    QComboBox* timer_;
    QPushButton* browse1_;
    QPushButton* browse2_;
    QPushButton* default_;
    QPushButton* detail_;
};

} // namespace mvx::ui

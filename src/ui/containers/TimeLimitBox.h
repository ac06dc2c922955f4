#pragma once

#include "workbench/EncryptOptionRules.h"

#include <QWidget>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace mvx {
class CMessageTable;
}

namespace mvx::ui {

// The time-limit controls shared by the encryption options and the
// destination selection: the switch, the three kinds, the number with its
// unit, and the date with hour, minute and second. Enabling follows
// TimeLimitEnabling.
class TimeLimitBox : public QWidget {
    Q_OBJECT
public:
    explicit TimeLimitBox(QWidget* parent = nullptr);

    // switchSlot labels the switch ("Setting TimeLimit" or "Valid time confirmed").
    void relabel(const CMessageTable& table, int switchSlot, int directSlot);
    void load(const mvx::EncryptOptionRules& fields);
    void store(mvx::EncryptOptionRules& fields) const;
    // Puts the focus on the field an OK check refused.
    void focus(mvx::EncryptOptionRules::Field field);

private:
    void applyEnabling();
    mvx::EncryptOptionRules::LimitMode mode() const;

    QCheckBox* limitOn_;
    QRadioButton* afterEncryption_;
    QRadioButton* afterFirstDecryption_;
    QRadioButton* direct_;
    QLineEdit* number_;
    QComboBox* unit_;
    QCalendarWidget* calendar_;
    QSpinBox* hour_;
    QSpinBox* minute_;
    QSpinBox* second_;
};

} // namespace mvx::ui

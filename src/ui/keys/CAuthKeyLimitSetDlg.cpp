#include "ui/keys/CAuthKeyLimitSetDlg.h"

#include "app/CMessenger.h"
#include "app/Msg.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QDate>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace mvx::ui {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

QRadioButton* radio(QWidget* parent, const char* name)
{
    auto* button = new QRadioButton(parent);
    button->setObjectName(name);
    return button;
}

} // namespace

CAuthKeyLimitSetDlg::CAuthKeyLimitSetDlg(mvx::AuthExpiryRules& fields, CMessenger& messenger, QWidget* parent)
    : QDialog(parent), fields_(fields), messenger_(messenger), text_(new QLabel(this)),
      noLimit_(radio(this, "noLimit")), setLimit_(radio(this, "setLimit")), preset_(radio(this, "presetPeriod")),
      direct_(radio(this, "directDate")), presets_(new QListWidget(this)), calendar_(new QCalendarWidget(this)),
      enforce_(new QPushButton(this)), cancel_(new QPushButton(this))
{
    setObjectName("CAuthKeyLimitSetDlg");
    presets_->setObjectName("presetList");
    calendar_->setObjectName("calendar");
    enforce_->setObjectName("enforce");
    cancel_->setObjectName("cancel");
    enforce_->setDefault(true);
    for (int slot : mvx::AuthExpiryRules::kPresetSlots)
        presets_->addItem(QString::number(slot));
    auto* limitGroup = new QButtonGroup(this);
    limitGroup->addButton(noLimit_);
    limitGroup->addButton(setLimit_);
    auto* kindGroup = new QButtonGroup(this);
    kindGroup->addButton(preset_);
    kindGroup->addButton(direct_);

    auto* choices = new QGridLayout;
    choices->addWidget(preset_, 0, 0);
    choices->addWidget(direct_, 0, 1);
    choices->addWidget(presets_, 1, 0);
    choices->addWidget(calendar_, 1, 1);
    choices->setContentsMargins(24, 0, 0, 0);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(enforce_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(noLimit_);
    layout->addWidget(setLimit_);
    layout->addLayout(choices);
    layout->addLayout(buttons);

    noLimit_->setChecked(fields.noLimit);
    setLimit_->setChecked(!fields.noLimit);
    preset_->setChecked(fields.usePreset);
    direct_->setChecked(!fields.usePreset);
    presets_->setCurrentRow(fields.presetIndex);
    // The earliest day accepted is tomorrow; the calendar starts there.
    calendar_->setSelectedDate(fields.calendarDate.isSet() ? QDate(fields.calendarDate.year, fields.calendarDate.month,
                                                                    fields.calendarDate.day)
                                                           : QDate::currentDate().addDays(1));
    for (QRadioButton* button : {noLimit_, setLimit_, preset_, direct_})
        connect(button, &QRadioButton::toggled, this, &CAuthKeyLimitSetDlg::applyEnabling);
    connect(enforce_, &QPushButton::clicked, this, &CAuthKeyLimitSetDlg::accept);
    connect(cancel_, &QPushButton::clicked, this, &CAuthKeyLimitSetDlg::reject);
    relabel();
    applyEnabling();
}

void CAuthKeyLimitSetDlg::relabel()
{
    const auto t = [&](int slot) { return q(messenger_.text(slot)); };
    setWindowTitle(t(Msg::AuthLimitTitle));
    text_->setText(t(Msg::AuthLimitText));
    noLimit_->setText(t(Msg::AuthLimitNone));
    setLimit_->setText(t(Msg::AuthLimitSet));
    preset_->setText(t(Msg::AuthLimitPreset));
    direct_->setText(t(Msg::AuthLimitDirect));
    presets_->setAccessibleName(preset_->text());
    calendar_->setAccessibleName(direct_->text());
    for (int i = 0; i < presets_->count(); ++i)
        presets_->item(i)->setText(t(mvx::AuthExpiryRules::kPresetSlots[i]));
    enforce_->setText(t(Msg::EnforceAuthentication));
    cancel_->setText(t(Msg::Cancel));
}

// The kinds only with an expiry; the list and the calendar only with their own kind.
void CAuthKeyLimitSetDlg::applyEnabling()
{
    const bool limited = setLimit_->isChecked();
    preset_->setEnabled(limited);
    direct_->setEnabled(limited);
    presets_->setEnabled(limited && preset_->isChecked());
    calendar_->setEnabled(limited && direct_->isChecked());
}

void CAuthKeyLimitSetDlg::accept()
{
    fields_.noLimit = noLimit_->isChecked();
    fields_.usePreset = preset_->isChecked();
    fields_.presetIndex = presets_->currentRow() < 0 ? mvx::AuthExpiryRules::NoSelection : presets_->currentRow();
    const QDate date = calendar_->selectedDate();
    fields_.calendarDate = SystemTime{};
    fields_.calendarDate.year = static_cast<uint16_t>(date.year());
    fields_.calendarDate.month = static_cast<uint16_t>(date.month());
    fields_.calendarDate.day = static_cast<uint16_t>(date.day());
    fields_.calendarDate.dayOfWeek = static_cast<uint16_t>(date.dayOfWeek() % 7);
    if (fields_.enforce(messenger_))
        QDialog::accept();
}

} // namespace mvx::ui

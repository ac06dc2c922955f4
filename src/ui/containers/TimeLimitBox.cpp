#include "ui/containers/TimeLimitBox.h"

#include "app/CMessageTable.h"
#include "app/Msg.h"
#include "workbench/DestinationChoiceRules.h"

#include <QCalendarWidget>
#include <QLocale>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>

namespace mvx::ui {

namespace {

QSpinBox* timeField(int maximum, const char* name, QWidget* parent)
{
    auto* field = new QSpinBox(parent);
    field->setObjectName(name);
    field->setRange(0, maximum);
    field->setWrapping(true);
    return field;
}

// Wide enough for its hint while empty, in either language.
void fitHint(QLineEdit* field)
{
    const int frame = 2 * field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
    const QMargins margins = field->textMargins();
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(field->placeholderText()) + frame + margins.left() +
                           margins.right() + 8);
}

} // namespace

TimeLimitBox::TimeLimitBox(QWidget* parent)
    : QWidget(parent), limitOn_(new QCheckBox(this)), afterEncryption_(new QRadioButton(this)),
      afterFirstDecryption_(new QRadioButton(this)), direct_(new QRadioButton(this)), number_(new QLineEdit(this)),
      unit_(new QComboBox(this)), calendar_(new QCalendarWidget(this)), hour_(timeField(23, "hour", this)),
      minute_(timeField(59, "minute", this)), second_(timeField(59, "second", this))
{
    limitOn_->setObjectName("timeLimitOn");
    afterEncryption_->setObjectName("afterEncryption");
    afterFirstDecryption_->setObjectName("afterFirstDecryption");
    direct_->setObjectName("directDate");
    number_->setObjectName("limitNumber");
    number_->setMaxLength(static_cast<int>(mvx::EncryptOptionRules::kNumberMaxChars));
    unit_->setObjectName("limitUnit");
    unit_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    calendar_->setObjectName("limitDate");

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(limitOn_, 0, 0, 1, 3);
    grid->addWidget(afterEncryption_, 1, 0, 1, 3);
    grid->addWidget(afterFirstDecryption_, 2, 0, 1, 3);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(number_);
    numberRow->addWidget(unit_);
    numberRow->addStretch();
    grid->addLayout(numberRow, 3, 0, 1, 3);
    grid->addWidget(direct_, 4, 0, 1, 3);
    grid->addWidget(calendar_, 5, 0, 1, 3);
    auto* timeRow = new QHBoxLayout;
    timeRow->addWidget(hour_);
    timeRow->addWidget(minute_);
    timeRow->addWidget(second_);
    timeRow->addStretch();
    grid->addLayout(timeRow, 6, 0, 1, 3);

    for (QAbstractButton* button : {static_cast<QAbstractButton*>(limitOn_),
                                    static_cast<QAbstractButton*>(afterEncryption_),
                                    static_cast<QAbstractButton*>(afterFirstDecryption_),
                                    static_cast<QAbstractButton*>(direct_)})
        connect(button, &QAbstractButton::toggled, this, &TimeLimitBox::applyEnabling);
}

void TimeLimitBox::relabel(const CMessageTable& table, int switchSlot, int directSlot)
{
    const auto q = [&](int slot) { return QString::fromStdString(table.text(slot)); };
    limitOn_->setText(q(switchSlot));
    afterEncryption_->setText(q(Msg::TimeLimitAfterEncryption));
    afterFirstDecryption_->setText(q(Msg::TimeLimitAfterFirstDecryption));
    direct_->setText(q(directSlot));
    calendar_->setLocale(QLocale());  // the interface language's, set when it was switched
    number_->setPlaceholderText(q(Msg::EnterNumber1To99));
    number_->setToolTip(q(Msg::EnterNumber1To99));
    const int chosen = unit_->currentIndex();
    unit_->clear();
    for (int slot : {Msg::UnitYears, Msg::UnitWeeks, Msg::UnitDays, Msg::UnitHours, Msg::UnitMinutes,
                     Msg::UnitSeconds})
        unit_->addItem(q(slot));
    unit_->setCurrentIndex(chosen < 0 ? mvx::EncryptOptionRules::kHours : chosen);
    fitHint(number_);
    number_->setAccessibleName(number_->toolTip());
    calendar_->setAccessibleName(direct_->text());
    hour_->setAccessibleName(q(Msg::UnitHours));
    minute_->setAccessibleName(q(Msg::UnitMinutes));
    second_->setAccessibleName(q(Msg::UnitSeconds));
}

void TimeLimitBox::load(const mvx::EncryptOptionRules& fields)
{
    limitOn_->setChecked(fields.timeLimitOn);
    afterEncryption_->setChecked(fields.limitMode == mvx::EncryptOptionRules::kAfterEncryption);
    afterFirstDecryption_->setChecked(fields.limitMode == mvx::EncryptOptionRules::kAfterFirstDecryption);
    direct_->setChecked(fields.limitMode == mvx::EncryptOptionRules::kDirectDate);
    number_->setText(QString::fromStdString(fields.number));
    unit_->setCurrentIndex(fields.unit);
    calendar_->setSelectedDate(QDate(fields.year, fields.month, fields.day));
    hour_->setValue(fields.hour);
    minute_->setValue(fields.minute);
    second_->setValue(fields.second);
    applyEnabling();
}

void TimeLimitBox::store(mvx::EncryptOptionRules& fields) const
{
    fields.timeLimitOn = limitOn_->isChecked();
    fields.limitMode = mode();
    fields.number = number_->text().toStdString();
    fields.unit = static_cast<mvx::EncryptOptionRules::Unit>(std::max(0, unit_->currentIndex()));
    const QDate date = calendar_->selectedDate();
    fields.year = date.year();
    fields.month = date.month();
    fields.day = date.day();
    fields.hour = hour_->value();
    fields.minute = minute_->value();
    fields.second = second_->value();
}

void TimeLimitBox::focus(mvx::EncryptOptionRules::Field field)
{
    QWidget* target = nullptr;
    switch (field) {
    case mvx::EncryptOptionRules::kNumberField:
        number_->selectAll();
        target = number_;
        break;
    case mvx::EncryptOptionRules::kHourField:
        target = hour_;
        break;
    case mvx::EncryptOptionRules::kMinuteField:
        target = minute_;
        break;
    case mvx::EncryptOptionRules::kSecondField:
        target = second_;
        break;
    case mvx::EncryptOptionRules::kDateField:
        target = calendar_;
        break;
    case mvx::EncryptOptionRules::kNoField:
        break;
    }
    if (target)
        target->setFocus();
}

mvx::EncryptOptionRules::LimitMode TimeLimitBox::mode() const
{
    if (direct_->isChecked())
        return mvx::EncryptOptionRules::kDirectDate;
    return afterFirstDecryption_->isChecked() ? mvx::EncryptOptionRules::kAfterFirstDecryption
                                              : mvx::EncryptOptionRules::kAfterEncryption;
}

void TimeLimitBox::applyEnabling()
{
    const auto enabling = TimeLimitEnabling::of(limitOn_->isChecked(), mode());
    for (QWidget* radio : {static_cast<QWidget*>(afterEncryption_), static_cast<QWidget*>(afterFirstDecryption_),
                           static_cast<QWidget*>(direct_)})
        radio->setEnabled(enabling.modes);
    number_->setEnabled(enabling.numberAndUnit);
    unit_->setEnabled(enabling.numberAndUnit);
    for (QWidget* field : {static_cast<QWidget*>(calendar_), static_cast<QWidget*>(hour_),
                           static_cast<QWidget*>(minute_), static_cast<QWidget*>(second_)})
        field->setEnabled(enabling.dateAndTime);
}

} // namespace mvx::ui

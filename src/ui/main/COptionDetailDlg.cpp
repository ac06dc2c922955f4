#include "ui/main/COptionDetailDlg.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "app/OptionsRules.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace mvx::ui {

namespace {

// Positions 1..5 of "SmallMenuPosition" with their texts.
constexpr int kPositionSlots[] = {Msg::PositionUpperLeft, Msg::PositionUpperRight, Msg::PositionLowerLeft,
                                  Msg::PositionLowerRight, Msg::PositionLastShown};

} // namespace

COptionDetailDlg::COptionDetailDlg(OptionsValues& values, CMessenger& messenger, QWidget* parent)
    : QDialog(parent), values_(values), position_(new QButtonGroup(this)), topmost_(new QCheckBox(this)),
      dropEncryptsForOneself_(new QCheckBox(this))
{
    const auto t = [&](int slot) { return QString::fromStdString(messenger.text(slot)); };
    setObjectName("COptionDetailDlg");
    setWindowTitle(t(Msg::MiniStudioSettingCaption));
    auto* positions = new QGroupBox(t(Msg::MiniStudioPosition), this);
    auto* positionRows = new QVBoxLayout(positions);
    int position = 1;
    for (int slot : kPositionSlots) {
        auto* choice = new QRadioButton(t(slot), positions);
        choice->setObjectName(QString("position%1").arg(position));
        position_->addButton(choice, position++);
        positionRows->addWidget(choice);
    }
    position_->button(detailPositionShown(values.smallMenuPosition))->setChecked(true);
    topmost_->setObjectName("smallMenuTopmost");
    topmost_->setText(t(Msg::ShowAlwaysOnTop));
    topmost_->setChecked(values.smallMenuTopmost);
    auto* drop = new QGroupBox(t(Msg::DragAndDropSetting), this);
    dropEncryptsForOneself_->setObjectName("ddSelfEncrypt");
    dropEncryptsForOneself_->setText(t(Msg::DropEncryptForOneself));
    dropEncryptsForOneself_->setChecked(values.ddSelfEncrypt);
    (new QVBoxLayout(drop))->addWidget(dropEncryptsForOneself_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    buttons->button(QDialogButtonBox::Ok)->setText(t(Msg::Ok));
    buttons->button(QDialogButtonBox::Cancel)->setText(t(Msg::Cancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionDetailDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionDetailDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(positions);
    layout->addWidget(topmost_);
    layout->addWidget(drop);
    layout->addWidget(buttons);
}

void COptionDetailDlg::accept()
{
    values_.smallMenuPosition = position_->checkedId();
    values_.smallMenuTopmost = topmost_->isChecked();
    values_.ddSelfEncrypt = dropEncryptsForOneself_->isChecked();
    QDialog::accept();
}

} // namespace mvx::ui

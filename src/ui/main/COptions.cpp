#include "ui/main/COptions.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "ui/main/COptionDetailDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace mvx::ui {

namespace {

constexpr int kOwnerFieldLength = 64;

QString q(const std::string& text) { return QString::fromStdString(text); }

} // namespace

COptions::COptions(const OptionsValues& values, Context context, QWidget* parent)
    : QDialog(parent), values_(values), context_(std::move(context))
{
    setObjectName("COptions");
    setWindowTitle(q(context_.messenger.text(Msg::SettingsCaption)));
    deleteCheck1_ = addCheck("deleteCheck1", Msg::DeleteAfterEncryption);
    deleteCheck2_ = addCheck("deleteCheck2", Msg::DeleteAfterDecryption);
    useSmallMenu_ = addCheck("useSmallMenu", Msg::UseMiniMenu);
    noUseContextMenu_ = addCheck("noUseContextMenu", Msg::RemoveContextMenu);
    encAndDec_ = addCheck("encAndDec", Msg::AutoEncDecAtStartAndClose);
    klxKeep_ = addCheck("klxKeep", Msg::KeepEncryptedOnAutoDecryption);
    inquireUsb_ = addCheck("inquireUsb", Msg::AskDecryptOnUsb);
    useTimer_ = addCheck("useTimer", Msg::EncryptWhenIdle);
    for (auto [field, name] : {std::pair{&destPath1_, "destPath1"}, std::pair{&destPath2_, "destPath2"},
                               std::pair{&userName_, "userName"}, std::pair{&mail_, "mailAddress"}}) {
        *field = new QLineEdit(this);
        (*field)->setObjectName(name);
    }
    userName_->setMaxLength(kOwnerFieldLength);
    mail_->setMaxLength(kOwnerFieldLength);
    timer_ = new QComboBox(this);
    timer_->setObjectName("timeForTimer");
    for (int index = 0; index < 3; ++index)
        timer_->addItem(QString::number(timerMinutesFromListIndex(index)));
    browse1_ = addButton("browseDestPath1", Msg::Folder);
    browse2_ = addButton("browseDestPath2", Msg::Folder);
    default_ = addButton("defaultButton", Msg::Default);
    detail_ = addButton("settingDetail", Msg::SettingDetail);
    // Read, never written from here: the entries' removal is asked for in the file only.
    noUseContextMenu_->hide();

    setLayout(buildLayout());
    enabled_ = optionsEnabledAtStart(values_, context_.ownPublicKeyExists);
    showValues();
    showEnabling();
    connect(encAndDec_, &QCheckBox::toggled, this, &COptions::encAndDecToggled);
    connect(useTimer_, &QCheckBox::toggled, this, &COptions::useTimerToggled);
    connect(default_, &QPushButton::clicked, this, &COptions::restoreDefaults);
    connect(browse1_, &QPushButton::clicked, this, &COptions::browseEncryptedFileFolder);
    connect(browse2_, &QPushButton::clicked, this, &COptions::browseSpecificFolder);
    connect(detail_, &QPushButton::clicked, this, &COptions::showDetail);
}

QCheckBox* COptions::addCheck(const char* name, int slot)
{
    auto* box = new QCheckBox(q(context_.messenger.text(slot)), this);
    box->setObjectName(name);
    return box;
}

QPushButton* COptions::addButton(const char* name, int slot)
{
    auto* button = new QPushButton(q(context_.messenger.text(slot)), this);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

QLayout* COptions::buildLayout()
{
    const auto t = [&](int slot) { return q(context_.messenger.text(slot)); };
    auto* process = new QGroupBox(t(Msg::GroupEncDecProcess), this);
    auto* processGrid = new QGridLayout(process);
    processGrid->addWidget(deleteCheck1_, 0, 0, 1, 3);
    processGrid->addWidget(deleteCheck2_, 1, 0, 1, 3);
    processGrid->addWidget(new QLabel(t(Msg::SaveFolderAfterEncryption), process), 2, 0, 1, 3);
    processGrid->addWidget(destPath1_, 3, 0, 1, 2);
    processGrid->addWidget(browse1_, 3, 2);
    processGrid->addWidget(useSmallMenu_, 4, 0, 1, 2);
    processGrid->addWidget(detail_, 4, 2);
    processGrid->addWidget(noUseContextMenu_, 5, 0, 1, 3);

    auto* owner = new QGroupBox(t(Msg::GroupOwnKeyData), this);
    auto* ownerForm = new QFormLayout(owner);
    ownerForm->addRow(t(Msg::OptionsName), userName_);
    ownerForm->addRow(t(Msg::OptionsMailAddress), mail_);

    auto* automatic = new QGroupBox(t(Msg::GroupAutoEncDec), this);
    auto* automaticGrid = new QGridLayout(automatic);
    automaticGrid->addWidget(encAndDec_, 0, 0, 1, 2);
    automaticGrid->addWidget(destPath2_, 1, 0);
    automaticGrid->addWidget(browse2_, 1, 1);
    automaticGrid->addWidget(klxKeep_, 2, 0, 1, 2);
    automaticGrid->addWidget(inquireUsb_, 3, 0, 1, 2);

    auto* timer = new QGroupBox(t(Msg::GroupTimer), this);
    auto* timerRow = new QHBoxLayout(timer);
    timerRow->addWidget(useTimer_, 1);
    timerRow->addWidget(timer_);
    timerRow->addWidget(new QLabel(t(Msg::MinutesUnit), timer));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    buttons->button(QDialogButtonBox::Ok)->setText(t(Msg::Ok));
    buttons->button(QDialogButtonBox::Cancel)->setText(t(Msg::Cancel));
    buttons->addButton(default_, QDialogButtonBox::ResetRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptions::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptions::reject);

    auto* layout = new QVBoxLayout;
    for (QWidget* group : {static_cast<QWidget*>(process), static_cast<QWidget*>(owner),
                           static_cast<QWidget*>(automatic), static_cast<QWidget*>(timer)})
        layout->addWidget(group);
    layout->addWidget(buttons);
    return layout;
}

void COptions::showValues()
{
    const QSignalBlocker blockEncAndDec(encAndDec_);
    const QSignalBlocker blockTimer(useTimer_);
    deleteCheck1_->setChecked(values_.deleteCheck1);
    deleteCheck2_->setChecked(values_.deleteCheck2);
    useSmallMenu_->setChecked(values_.useSmallMenu);
    noUseContextMenu_->setChecked(values_.noUseContextMenu);
    encAndDec_->setChecked(values_.encAndDec);
    klxKeep_->setChecked(values_.klxKeep);
    inquireUsb_->setChecked(values_.inquireUsb);
    useTimer_->setChecked(values_.useTimer);
    destPath1_->setText(q(values_.destPath1));
    destPath2_->setText(q(values_.destPath2));
    userName_->setText(q(values_.userName));
    mail_->setText(q(values_.mailAddress));
    timer_->setCurrentIndex(values_.timerListIndex);
}

void COptions::showEnabling()
{
    encAndDec_->setEnabled(enabled_.encAndDecCheck);
    klxKeep_->setEnabled(enabled_.klxKeepCheck);
    inquireUsb_->setEnabled(enabled_.inquireUsbCheck);
    destPath2_->setEnabled(enabled_.destPath2Field);
    browse2_->setEnabled(enabled_.destPath2Browse);
    useTimer_->setEnabled(enabled_.useTimerCheck);
    timer_->setEnabled(enabled_.timerList);
    userName_->setEnabled(enabled_.nameField);
    mail_->setEnabled(enabled_.mailField);
}

void COptions::readValues()
{
    values_.deleteCheck1 = deleteCheck1_->isChecked();
    values_.deleteCheck2 = deleteCheck2_->isChecked();
    values_.useSmallMenu = useSmallMenu_->isChecked();
    values_.noUseContextMenu = noUseContextMenu_->isChecked();
    values_.encAndDec = encAndDec_->isChecked();
    values_.klxKeep = klxKeep_->isChecked();
    values_.inquireUsb = inquireUsb_->isChecked();
    values_.useTimer = useTimer_->isChecked();
    values_.destPath1 = destPath1_->text().toStdString();
    values_.destPath2 = destPath2_->text().toStdString();
    values_.userName = userName_->text().toStdString();
    values_.mailAddress = mail_->text().toStdString();
    values_.timerListIndex = timer_->currentIndex();
}

void COptions::encAndDecToggled()
{
    readValues();
    onEncAndDecToggled(values_, enabled_);
    showEnabling();
}

void COptions::useTimerToggled()
{
    readValues();
    onUseTimerToggled(values_, enabled_);
    showEnabling();
}

void COptions::restoreDefaults()
{
    readValues();
    applyDefaultButton(values_, enabled_);
    showValues();
    showEnabling();
}

void COptions::browseEncryptedFileFolder()
{
    if (const auto folder = mvx::browseEncryptedFileFolder(context_.messenger, destPath1_->text().toStdString()))
        destPath1_->setText(q(*folder));
}

void COptions::browseSpecificFolder()
{
    if (const auto folder = mvx::browseSpecificFolder(context_.messenger, context_.facts, context_.keyPairRoot,
                                                      context_.programFolder, destPath2_->text().toStdString()))
        destPath2_->setText(q(*folder));
}

void COptions::showDetail()
{
    COptionDetailDlg detail(values_, context_.messenger, this);
    detail.exec();
}

void COptions::accept()
{
    readValues();
    const FolderVerdict verdict =
        checkOptionsOk(values_, context_.keyPairRoot, context_.programFolder, context_.facts);
    if (!verdict.accepted) {
        showRefusal(context_.messenger, verdict);
        return;
    }
    QDialog::accept();
}

} // namespace mvx::ui

#include "ui/keys/CKeygenWizard.h"

#include "app/Msg.h"
#include "workbench/AppSession.h"
#include "workbench/KeySetWizardFlow.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace mvx::ui {

namespace {

constexpr int kOwnerFieldLength = 64;

QString text(AppSession& session, int slot) { return QString::fromStdString(session.messenger().text(slot)); }

QLabel* wrappedLabel(const QString& shown, QWidget* parent)
{
    auto* label = new QLabel(shown, parent);
    label->setWordWrap(true);
    return label;
}

} // namespace

bool runKeySetWizard(QWidget* parent, AppSession& session)
{
    KeySetWizardFlow flow(session);
    if (!flow.chooseKeyRoot())
        return false;
    CKeygenWizard wizard(session, flow, parent);
    return wizard.exec() == QDialog::Accepted;
}

CKeygenWizard1::CKeygenWizard1(AppSession& session, QWidget* parent) : QWizardPage(parent)
{
    setObjectName("CKeygenWizard1");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(wrappedLabel(text(session, Msg::WizardWelcome), this));
    layout->addStretch();
}

CKeygenWizard2::CKeygenWizard2(AppSession& session, KeySetWizardFlow& flow, QWidget* parent)
    : QWizardPage(parent), flow_(flow), name_(new QLineEdit(this))
{
    setObjectName("CKeygenWizard2");
    name_->setObjectName("keySetName");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(wrappedLabel(text(session, Msg::SetKeySetFileName), this));
    layout->addWidget(wrappedLabel(text(session, Msg::KeySetFileNameUse), this));
    auto* row = new QFormLayout;
    row->addRow(text(session, Msg::KeyUserLabel), name_);
    layout->addLayout(row);
    layout->addStretch();
}

QString CKeygenWizard2::name() const { return name_->text(); }

bool CKeygenWizard2::validatePage()
{
    if (flow_.acceptName(name_->text().toStdString()))
        return true;
    name_->setFocus();
    return false;
}

CKeygenWizard3::CKeygenWizard3(AppSession& session, QWidget* parent)
    : QWizardPage(parent), userName_(new QLineEdit(this)), mail_(new QLineEdit(this))
{
    setObjectName("CKeygenWizard3");
    userName_->setObjectName("userName");
    mail_->setObjectName("mailAddress");
    userName_->setMaxLength(kOwnerFieldLength);
    mail_->setMaxLength(kOwnerFieldLength);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(wrappedLabel(text(session, Msg::SetYourKeyInformation), this));
    auto* fields = new QFormLayout;
    fields->addRow(text(session, Msg::UserNameLabel), userName_);
    fields->addRow(text(session, Msg::MailAddressLabel), mail_);
    layout->addLayout(fields);
    layout->addStretch();
}

QString CKeygenWizard3::userName() const { return userName_->text(); }

QString CKeygenWizard3::mail() const { return mail_->text(); }

CKeygenWizard4::CKeygenWizard4(AppSession& session, KeySetWizardFlow& flow, QWidget* parent)
    : QWizardPage(parent), flow_(flow), summary_(wrappedLabel(QString(), this)), useBackup_(new QCheckBox(this))
{
    setObjectName("CKeygenWizard4");
    summary_->setObjectName("summary");
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    useBackup_->setObjectName("useBackupService");
    useBackup_->setText(text(session, Msg::UseBackupService));
    // The backup service is not part of this program.
    useBackup_->setEnabled(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addStretch();
    layout->addWidget(useBackup_);
}

void CKeygenWizard4::initializePage()
{
    const auto* wizard = static_cast<CKeygenWizard*>(this->wizard());
    summary_->setText(QString::fromStdString(flow_.summary(wizard->namePage()->name().toStdString())));
}

bool CKeygenWizard4::validatePage()
{
    const auto* wizard = static_cast<CKeygenWizard*>(this->wizard());
    return flow_.finish(wizard->namePage()->name().toStdString(), wizard->ownerPage()->userName().toStdString(),
                        wizard->ownerPage()->mail().toStdString(), useBackup_->isChecked());
}

CKeygenWizard::CKeygenWizard(AppSession& session, KeySetWizardFlow& flow, QWidget* parent)
    : QWizard(parent), namePage_(new CKeygenWizard2(session, flow, this)), ownerPage_(new CKeygenWizard3(session, this))
{
    setObjectName("CKeygenWizard");
    setWizardStyle(QWizard::ClassicStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    addPage(new CKeygenWizard1(session, this));
    addPage(namePage_);
    addPage(ownerPage_);
    addPage(new CKeygenWizard4(session, flow, this));
    setWindowTitle(text(session, Msg::KeyWizardTitle));
    setButtonText(QWizard::BackButton, text(session, Msg::WizardBack));
    setButtonText(QWizard::NextButton, text(session, Msg::WizardNext));
    setButtonText(QWizard::FinishButton, text(session, Msg::WizardFinish));
    setButtonText(QWizard::CancelButton, text(session, Msg::Cancel));
    for (auto [which, name] : {std::pair{QWizard::BackButton, "back"}, std::pair{QWizard::NextButton, "next"},
                               std::pair{QWizard::FinishButton, "finish"}, std::pair{QWizard::CancelButton, "cancel"}})
        button(which)->setObjectName(name);
    resize(560, 400);
}

} // namespace mvx::ui

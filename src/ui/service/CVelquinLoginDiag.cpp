#include "ui/service/CVelquinLoginDiag.h"

#include "app/Msg.h"
#include "ui/service/CProgressDiag.h"
#include "workbench/AppSession.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace mvx::ui {

CVelquinLoginDiag::CVelquinLoginDiag(AppSession& session, ServiceAction::Request request, QWidget* parent)
    : QDialog(parent), session_(session), request_(std::move(request)), prompt_(new QLabel(this)),
      mailLabel_(new QLabel(this)), passwordLabel_(new QLabel(this)), mail_(new QLineEdit(this)),
      password_(new QLineEdit(this))
{
    setObjectName("CVelquinLoginDiag");
    if (request_.mail.empty())
        request_.mail = session.keys().mail();
    mail_->setObjectName("mail");
    mail_->setText(QString::fromStdString(request_.mail));
    mail_->setReadOnly(true);
    password_->setObjectName("password");
    password_->setEchoMode(QLineEdit::Password);
    mailLabel_->setBuddy(mail_);
    passwordLabel_->setBuddy(password_);
    auto* buttons = new QDialogButtonBox(this);
    login_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    login_->setObjectName("login");
    cancel_->setObjectName("cancel");
    login_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &CVelquinLoginDiag::login);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* fields = new QFormLayout;
    fields->addRow(mailLabel_, mail_);
    fields->addRow(passwordLabel_, password_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt_);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    relabel();
}

void CVelquinLoginDiag::relabel()
{
    const auto t = [this](int slot) { return QString::fromStdString(session_.messenger().text(slot)); };
    setWindowTitle(t(Msg::AppCaption));
    prompt_->setText(t(Msg::LoginPrompt));
    mailLabel_->setText(t(Msg::MailAddressLabel));
    passwordLabel_->setText(t(Msg::PasswordLabel));
    login_->setText(t(Msg::LoginButton));
    cancel_->setText(t(Msg::Cancel));
}

void CVelquinLoginDiag::login()
{
    if (password_->text().isEmpty()) {
        session_.messenger().show(Msg::PasswordEmpty, MsgIcon::Stop);
        return;
    }
    ServiceAction::Request request = request_;
    request.password = password_->text().toStdString();
    password_->clear();
    CProgressDiag progress(session_, std::move(request), this);
    result_ = progress.run();
    if (progress.cancelled())
        return;
    if (!result_.ok && !result_.networkFailure && result_.failureSlot == ServiceAction::kNoFurtherMessage)
        return reject();  // the request went through in part; its messages are shown already
    if (!result_.ok) {
        ServiceAction::showFailure(session_.messenger(), result_);
        return;
    }
    accept();
}

} // namespace mvx::ui

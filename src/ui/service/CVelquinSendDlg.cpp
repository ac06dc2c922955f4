#include "ui/service/CVelquinSendDlg.h"

#include "app/Msg.h"
#include "ui/service/CProgressDiag.h"
#include "ui/service/CVelquinLoginDiag.h"
#include "workbench/AppSession.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace mvx::ui {

namespace {

template <typename Widget>
Widget* named(Widget* widget, const char* name)
{
    widget->setObjectName(name);
    return widget;
}

} // namespace

CVelquinSendDlg::CVelquinSendDlg(AppSession& session, ServiceSendForm::Mode mode,
                                 const std::vector<std::string>& files, QWidget* parent)
    : QDialog(parent), session_(session), files_(named(new QListWidget(this), "files")),
      subjectLabel_(new QLabel(this)), messageLabel_(new QLabel(this)), addressesLabel_(new QLabel(this)),
      subject_(named(new QLineEdit(this), "subject")), message_(named(new QPlainTextEdit(this), "message")),
      addresses_(named(new QPlainTextEdit(this), "addresses"))
{
    setObjectName("CVelquinSendDlg");
    form_.mode = mode;
    form_.files = files;
    for (const std::string& file : files)
        files_->addItem(QString::fromStdString(file));
    subjectLabel_->setBuddy(subject_);
    messageLabel_->setBuddy(message_);
    addressesLabel_->setBuddy(addresses_);
    message_->setTabChangesFocus(true);
    addresses_->setTabChangesFocus(true);
    auto* buttons = new QDialogButtonBox(this);
    send_ = named(buttons->addButton(QString(), QDialogButtonBox::AcceptRole), "send");
    cancel_ = named(buttons->addButton(QString(), QDialogButtonBox::RejectRole), "cancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &CVelquinSendDlg::send);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* fields = new QFormLayout;
    fields->addRow(subjectLabel_, subject_);
    fields->addRow(messageLabel_, message_);
    fields->addRow(addressesLabel_, addresses_);
    addressesLabel_->setVisible(form_.needsAddresses());
    addresses_->setVisible(form_.needsAddresses());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(files_);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    relabel();
    resize(520, 420);
}

void CVelquinSendDlg::relabel()
{
    const auto t = [this](int slot) { return QString::fromStdString(session_.messenger().text(slot)); };
    const int caption = form_.mode == ServiceSendForm::Mode::Upload     ? Msg::ServiceUploadCaption
                        : form_.mode == ServiceSendForm::Mode::EasySend ? Msg::ServiceEasySendCaption
                                                                        : Msg::ServiceTransferCaption;
    setWindowTitle(t(caption));
    subjectLabel_->setText(t(Msg::ServiceSubject));
    messageLabel_->setText(t(Msg::ServiceMessage));
    addressesLabel_->setText(t(Msg::ServiceAddresses));
    files_->setAccessibleName(t(Msg::FilesToSendName));
    send_->setText(t(Msg::ServiceSend));
    cancel_->setText(t(Msg::Cancel));
}

void CVelquinSendDlg::send()
{
    form_.subject = subject_->text().toStdString();
    form_.message = message_->toPlainText().toStdString();
    form_.addresses = addresses_->toPlainText().toStdString();
    auto request = form_.request(session_.messenger(), session_.keys().mail());
    if (!request)
        return;
    if (ServiceAction::needsAccount(request->action)) {
        CVelquinLoginDiag login(session_, *request, this);
        sent_ = login.exec() == QDialog::Accepted;
    } else {
        CProgressDiag progress(session_, *request, this);
        const auto result = progress.run();
        sent_ = result.ok;
        if (!result.ok && !progress.cancelled())
            ServiceAction::showFailure(session_.messenger(), result);
    }
    if (!sent_)
        return;
    session_.messenger().show(Msg::ServiceFilesSent, MsgIcon::Information);
    accept();
}

} // namespace mvx::ui

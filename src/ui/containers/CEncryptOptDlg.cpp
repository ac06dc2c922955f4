#include "ui/containers/CEncryptOptDlg.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "ui/containers/TimeLimitBox.h"
#include "ui/main/OutputFolderRow.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace mvx::ui {

CEncryptOptDlg::CEncryptOptDlg(mvx::EncryptOptionRules& fields, CMessenger& messenger, QWidget* parent)
    : QDialog(parent), fields_(fields), messenger_(messenger), manageLogs_(new QCheckBox(this)),
      deleteFiles_(new QCheckBox(this)), limit_(new TimeLimitBox(this)), output_(new OutputFolderRow(messenger, this))
{
    setObjectName("CEncryptOptDlg");
    manageLogs_->setObjectName("manageLogs");
    deleteFiles_->setObjectName("deletePlainFiles");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("ok");
    buttons->button(QDialogButtonBox::Cancel)->setObjectName("cancel");
    buttons->button(QDialogButtonBox::Ok)->setText(QString::fromStdString(messenger.text(Msg::Ok)));
    buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromStdString(messenger.text(Msg::Cancel)));
    connect(buttons, &QDialogButtonBox::accepted, this, &CEncryptOptDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CEncryptOptDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(manageLogs_);
    layout->addWidget(deleteFiles_);
    layout->addWidget(limit_);
    layout->addWidget(output_);
    layout->addWidget(buttons);

    manageLogs_->setChecked(fields.manageLogs);
    deleteFiles_->setChecked(fields.deletePlainFiles);
    output_->setFolder(QString::fromStdString(fields.outputFolder));
    relabel();
    limit_->load(fields);
}

void CEncryptOptDlg::relabel()
{
    setWindowTitle(QString::fromStdString(messenger_.text(Msg::EncryptOptionsCaption)));
    manageLogs_->setText(QString::fromStdString(messenger_.text(Msg::ManageLogs)));
    deleteFiles_->setText(QString::fromStdString(messenger_.text(Msg::DeleteEncryptedFilesCompletely)));
    limit_->relabel(messenger_.table(), Msg::ValidTimeConfirmed, Msg::DirectDecryptionDeadline);
}

void CEncryptOptDlg::accept()
{
    fields_.manageLogs = manageLogs_->isChecked();
    fields_.deletePlainFiles = deleteFiles_->isChecked();
    fields_.outputFolder = output_->folder().toStdString();
    limit_->store(fields_);
    const auto result = fields_.onOk(messenger_);
    if (!result.accepted) {
        limit_->focus(result.focus);
        return;
    }
    QDialog::accept();
}

} // namespace mvx::ui

#include "ui/keys/CKeyChainList_Add.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "ui/shared/UiThread.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace mvx::ui {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

} // namespace

CKeyChainList_Add::CKeyChainList_Add(mvx::DestinationListEditor::EntryFields& fields, bool modify, CMessenger& messenger,
                                     QWidget* parent)
    : QDialog(parent), fields_(fields), messenger_(messenger), nameLabel_(new QLabel(this)),
      mailLabel_(new QLabel(this)), keyFileLabel_(new QLabel(this)), folderLabel_(new QLabel(this)),
      name_(new QLineEdit(q(fields.name), this)), mail_(new QLineEdit(q(fields.mail), this)),
      keyFile_(new QLineEdit(q(fields.keyFile), this)), folder_(new QLineEdit(q(fields.folder), this)),
      browseKeyFile_(new QPushButton("...", this)), browseFolder_(new QPushButton("...", this)),
      ok_(new QPushButton(this)), cancel_(new QPushButton(this)), stop_(new QPushButton(this))
{
    setObjectName("CKeyChainList_Add");
    name_->setObjectName("entryName");
    mail_->setObjectName("entryMail");
    keyFile_->setObjectName("entryKeyFile");
    folder_->setObjectName("entryFolder");
    browseKeyFile_->setObjectName("browseKeyFile");
    browseFolder_->setObjectName("browseFolder");
    ok_->setObjectName("ok");
    cancel_->setObjectName("cancel");
    stop_->setObjectName("stop");
    ok_->setDefault(true);
    keyFile_->setReadOnly(modify);
    browseKeyFile_->setEnabled(!modify);

    auto* grid = new QGridLayout;
    const std::pair<QLabel*, QLineEdit*> rows[] = {
        {nameLabel_, name_}, {mailLabel_, mail_}, {keyFileLabel_, keyFile_}, {folderLabel_, folder_}};
    int line = 0;
    for (const auto& [label, field] : rows) {
        label->setBuddy(field);
        grid->addWidget(label, line, 0);
        grid->addWidget(field, line++, 1);
    }
    grid->addWidget(browseKeyFile_, 2, 2);
    grid->addWidget(browseFolder_, 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {ok_, cancel_, stop_})
        buttons->addWidget(button);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &CKeyChainList_Add::accept);
    connect(cancel_, &QPushButton::clicked, this, &CKeyChainList_Add::reject);
    connect(stop_, &QPushButton::clicked, this, &CKeyChainList_Add::reject);
    connect(browseKeyFile_, &QPushButton::clicked, this, &CKeyChainList_Add::browseKeyFile);
    connect(browseFolder_, &QPushButton::clicked, this, &CKeyChainList_Add::browseFolder);
    relabel(modify);
    resize(520, sizeHint().height());
}

void CKeyChainList_Add::relabel(bool modify)
{
    const auto t = [&](int slot) { return q(messenger_.text(slot)); };
    setWindowTitle(t(modify ? Msg::Modify : Msg::Add));
    nameLabel_->setText(t(Msg::ColumnName));
    mailLabel_->setText(t(Msg::ColumnEMail));
    keyFileLabel_->setText(t(Msg::AuthFile));
    folderLabel_->setText(t(Msg::RegistrateFolder));
    ok_->setText(t(Msg::Ok));
    cancel_->setText(t(Msg::Cancel));
    stop_->setText(t(Msg::Stop));
    browseKeyFile_->setAccessibleName(t(Msg::ChooseKeyFileName));
    browseFolder_->setAccessibleName(t(Msg::ChooseFolderName));
}

void CKeyChainList_Add::browseKeyFile()
{
    const auto chosen = messenger_.interaction().chooseFilesFiltered(
        messenger_.text(Msg::AuthFile), keyFile_->text().toStdString(), messenger_.text(Msg::PublicKeyFileFilter));
    if (!chosen.empty())
        keyFile_->setText(q(chosen.front()));
}

void CKeyChainList_Add::browseFolder()
{
    const auto chosen = messenger_.interaction().chooseFolderPrompted(
        messenger_.text(Msg::SelectFolderTitle), messenger_.text(Msg::SelectFolderPrompt), folder_->text().toStdString());
    if (chosen)
        folder_->setText(q(*chosen));
}

void CKeyChainList_Add::accept()
{
    fields_.name = name_->text().trimmed().toStdString();
    fields_.mail = mail_->text().trimmed().toStdString();
    fields_.keyFile = keyFile_->text().toStdString();
    fields_.folder = folder_->text().toStdString();
    QDialog::accept();
}

mvx::DestinationListEditor::EntryDialog CKeyChainList_Add::opener(CMessenger& messenger, QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    return [&messenger, owner](mvx::DestinationListEditor::EntryFields& fields, bool modify) {
        return onThreadOf(owner.data(), [&] {
            QWidget* shownOver = QApplication::activeWindow() ? QApplication::activeWindow() : owner.data();
            CKeyChainList_Add dialog(fields, modify, messenger, shownOver);
            return dialog.exec() == QDialog::Accepted;
        });
    };
}

} // namespace mvx::ui

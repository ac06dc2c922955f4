#include "ui/main/OutputFolderRow.h"

#include "app/CMessenger.h"
#include "app/Msg.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace mvx::ui {

OutputFolderRow::OutputFolderRow(CMessenger& messenger, QWidget* parent)
    : QWidget(parent), messenger_(messenger), caption_(new QLabel(this)), field_(new QLineEdit(this)),
      change_(new QPushButton(this)), note_(new QLabel(this))
{
    field_->setObjectName("outputFolder");
    change_->setObjectName("changeFolder");
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(caption_, 0, 0);
    grid->addWidget(field_, 0, 1);
    grid->addWidget(change_, 0, 2);
    grid->addWidget(note_, 1, 1, 1, 2);
    caption_->setBuddy(field_);
    connect(change_, &QPushButton::clicked, this, &OutputFolderRow::browse);
    relabel();
}

void OutputFolderRow::relabel()
{
    const auto q = [&](int slot) { return QString::fromStdString(messenger_.text(slot)); };
    caption_->setText(q(Msg::OutputFolder));
    change_->setText(q(Msg::ChangeFolder));
    note_->setText(q(Msg::SameFolderWhenUnspecified));
}

QString OutputFolderRow::folder() const { return field_->text().trimmed(); }

void OutputFolderRow::setFolder(const QString& folder) { field_->setText(folder); }

void OutputFolderRow::browse()
{
    const auto chosen = messenger_.interaction().chooseFolderPrompted(
        messenger_.text(Msg::SelectFolderTitle), messenger_.text(Msg::SelectFolderPrompt), folder().toStdString());
    if (!chosen)
        return;
    QString path = QString::fromStdString(*chosen);
    if (!path.endsWith('/'))
        path += '/';
    field_->setText(path);
}

} // namespace mvx::ui

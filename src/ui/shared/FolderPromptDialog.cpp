#include "ui/shared/FolderPromptDialog.h"

#include "app/CMessageTable.h"
#include "app/MessageFormat.h"
#include "app/Msg.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace mvx::ui {

FolderPromptDialog::FolderPromptDialog(const CMessageTable* table, const QString& title, const QString& prompt,
                                       const QString& startFolder, QWidget* parent)
    : QDialog(parent), table_(table), path_(new QLineEdit(startFolder, this)), madeNote_(new QLabel(this))
{
    setObjectName("folderPrompt");
    setWindowTitle(title);
    auto* promptLabel = new QLabel(prompt, this);
    promptLabel->setObjectName("folderPromptText");
    promptLabel->setWordWrap(true);
    promptLabel->setBuddy(path_);
    path_->setObjectName("folderPath");
    path_->setMinimumWidth(path_->fontMetrics().horizontalAdvance(QString(48, 'x')));
    madeNote_->setObjectName("folderMadeNote");
    madeNote_->setText(text(Msg::FolderMadeOnOk, "The folder is made when you press OK."));
    auto* browse = new QPushButton(text(Msg::BrowseFolder, "Browse..."), this);
    browse->setObjectName("browseFolder");
    browse->setAutoDefault(false);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(text(Msg::Ok, "OK"), QDialogButtonBox::AcceptRole)->setObjectName("ok");
    buttons->addButton(text(Msg::Cancel, "Cancel"), QDialogButtonBox::RejectRole)->setObjectName("cancel");
    auto* row = new QHBoxLayout;
    row->addWidget(path_, 1);
    row->addWidget(browse);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(promptLabel);
    layout->addLayout(row);
    layout->addWidget(madeNote_);
    layout->addWidget(buttons);
    connect(browse, &QPushButton::clicked, this, &FolderPromptDialog::browse);
    connect(path_, &QLineEdit::textChanged, this, &FolderPromptDialog::showWhetherMade);
    connect(buttons, &QDialogButtonBox::accepted, this, &FolderPromptDialog::makeAndAccept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showWhetherMade();
}

QString FolderPromptDialog::text(int slot, const char* fallback) const
{
    return table_ ? QString::fromStdString(table_->text(slot)) : QString::fromUtf8(fallback);
}

std::optional<std::string> FolderPromptDialog::choose()
{
    if (exec() != QDialog::Accepted || path_->text().trimmed().isEmpty())
        return std::nullopt;
    return QDir::cleanPath(path_->text().trimmed()).toStdString();
}

// A folder that does not exist yet is made on OK; when it cannot be, the
// dialog says so and stays open.
void FolderPromptDialog::makeAndAccept()
{
    const QString path = QDir::cleanPath(path_->text().trimmed());
    if (!path.isEmpty() && !QDir().mkpath(path)) {
        madeNote_->setText(QString::fromStdString(
            formatMessage(text(Msg::FolderCouldNotBeMade, "The folder could not be made:\n%s").toStdString(),
                          path.toStdString())));
        madeNote_->show();
        return;
    }
    accept();
}

// The browser starts in the nearest folder that exists.
void FolderPromptDialog::browse()
{
    QString start = path_->text();
    while (!start.isEmpty() && !QFileInfo(start).isDir() && start != QFileInfo(start).path())
        start = QFileInfo(start).path();
    const QString chosen = QFileDialog::getExistingDirectory(this, windowTitle(), start);
    if (!chosen.isEmpty())
        path_->setText(chosen);
}

void FolderPromptDialog::showWhetherMade()
{
    const QString path = path_->text().trimmed();
    madeNote_->setVisible(!path.isEmpty() && !QFileInfo(path).isDir());
}

} // namespace mvx::ui

#include "ui/keys/CKeyChain.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "ui/main/ListWidgets.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace mvx::ui {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

} // namespace

CKeyChain::CKeyChain(CMessenger& messenger, const CAuthManager& history, std::string ownPublicKeyPath,
                     std::string folder, QWidget* parent)
    : QDialog(parent), messenger_(messenger), history_(history), logic_(messenger, std::move(ownPublicKeyPath)),
      folder_(std::move(folder)), heading_(new QLabel(this)), prompt_(new QLabel(this)),
      keys_(new QTreeWidget(this)), logsCaption_(new QLabel(this)), logs_(new QTreeWidget(this)),
      ok_(new QPushButton(this)), cancel_(new QPushButton(this)), changeFolder_(new QPushButton(this))
{
    setObjectName("CKeyChain");
    makeFlatList(keys_, "publicKeyList");
    makeFlatList(logs_, "authLogList");
    logs_->setSelectionMode(QAbstractItemView::NoSelection);
    ok_->setObjectName("ok");
    cancel_->setObjectName("cancel");
    changeFolder_->setObjectName("changeFolder");
    ok_->setDefault(true);
    QFont bold = heading_->font();
    bold.setBold(true);
    heading_->setFont(bold);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(changeFolder_);
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(heading_);
    layout->addWidget(prompt_);
    layout->addWidget(keys_, 2);
    layout->addWidget(logsCaption_);
    layout->addWidget(logs_, 1);
    layout->addLayout(buttons);

    connect(ok_, &QPushButton::clicked, this, &CKeyChain::accept);
    connect(cancel_, &QPushButton::clicked, this, &CKeyChain::reject);
    connect(changeFolder_, &QPushButton::clicked, this, &CKeyChain::changeFolder);
    connect(keys_, &QTreeWidget::itemActivated, this, &CKeyChain::accept);
    relabel();
    resize(620, 520);
}

void CKeyChain::relabel()
{
    const auto t = [&](int slot) { return q(messenger_.text(slot)); };
    setWindowTitle(t(Msg::KeyChainDialogTitle));
    heading_->setText(t(Msg::AuthenticatePublicKey));
    prompt_->setText(t(Msg::SelectPublicKeyForAuth));
    logsCaption_->setText(t(Msg::Logs));
    keys_->setAccessibleName(prompt_->text());
    logs_->setAccessibleName(logsCaption_->text());
    keys_->setHeaderLabels({t(Msg::ColumnPublicKeyFile), t(Msg::ColumnAuthLog)});
    keys_->setColumnWidth(0, 380);
    logs_->setHeaderLabels({t(Msg::ColumnAuthDate), t(Msg::ColumnAuthKeyName), t(Msg::ColumnAuthTimeLimit)});
    logs_->setColumnWidth(0, 140);
    logs_->setColumnWidth(1, 300);
    ok_->setText(t(Msg::Ok));
    cancel_->setText(t(Msg::Cancel));
    changeFolder_->setText(t(Msg::ChangeFolder));
    showKeys();
    showLogs();
}

void CKeyChain::showKeys()
{
    rows_ = logic_.rows(folder_, history_);
    keys_->clear();
    for (const auto& row : rows_)
        new QTreeWidgetItem(keys_, {q(row.shown), q(row.authLog)});
}

void CKeyChain::showLogs()
{
    logs_->clear();
    for (const auto& row : history_.rows(messenger_.table()))
        new QTreeWidgetItem(logs_, {q(row.date), q(row.fileName), q(row.timeLimit)});
}

void CKeyChain::changeFolder()
{
    const auto chosen = messenger_.interaction().chooseFolderPrompted(messenger_.text(Msg::SelectFolderTitle),
                                                                      messenger_.text(Msg::SelectFolderPrompt), folder_);
    if (!chosen)
        return;
    folder_ = *chosen;
    if (!folder_.empty() && folder_.back() != '/')
        folder_ += '/';
    showKeys();
}

void CKeyChain::accept()
{
    const auto taken = logic_.takeSelection(rows_, selectedRows(keys_));
    if (!taken)
        return;
    chosen_ = *taken;
    QDialog::accept();
}

} // namespace mvx::ui

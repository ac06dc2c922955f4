#include "ui/keys/CAuthkeyCompleteDlg.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "workbench/IMailHandOver.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace mvx::ui {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

} // namespace

CAuthkeyCompleteDlg::CAuthkeyCompleteDlg(CMessenger& messenger, const std::vector<std::string>& lines,
                                         std::vector<KeyAuthenticator::Mail> mails, IMailHandOver& mail,
                                         QWidget* parent)
    : QDialog(parent), messenger_(messenger), mails_(std::move(mails)), mail_(mail), text_(new QLabel(this)),
      files_(new QTreeWidget(this)), continue_(new QCheckBox(this)), finish_(new QPushButton(this)),
      sendMail_(new QPushButton(this))
{
    setObjectName("CAuthkeyCompleteDlg");
    files_->setObjectName("completedFiles");
    files_->setRootIsDecorated(false);
    files_->setHeaderHidden(true);
    files_->setColumnCount(2);
    files_->setSelectionMode(QAbstractItemView::NoSelection);
    continue_->setObjectName("continueWithOtherKeys");
    finish_->setObjectName("finish");
    sendMail_->setObjectName("sendMail");
    finish_->setDefault(true);
    // Each line is the file name, a tab and what the file is.
    for (const std::string& line : lines) {
        const QString full = q(line);
        const int tab = full.indexOf('\t');
        auto* item = new QTreeWidgetItem(files_, {full.left(tab), tab < 0 ? QString() : full.mid(tab + 1)});
        item->setTextAlignment(0, Qt::AlignTop);
    }
    files_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    files_->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(finish_);
    buttons->addWidget(sendMail_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(files_, 1);
    layout->addWidget(continue_);
    layout->addLayout(buttons);
    connect(finish_, &QPushButton::clicked, this, &CAuthkeyCompleteDlg::accept);
    connect(sendMail_, &QPushButton::clicked, this, &CAuthkeyCompleteDlg::sendMail);
    relabel();
    resize(640, 280);
}

void CAuthkeyCompleteDlg::relabel()
{
    const auto t = [&](int slot) { return q(messenger_.text(slot)); };
    setWindowTitle(t(Msg::AuthCompleteTitle));
    text_->setText(t(Msg::AuthCompleteText));
    files_->setAccessibleName(text_->text());
    continue_->setText(t(Msg::ContinueWithOtherKeys));
    finish_->setText(t(Msg::AuthCompleteFinish));
    sendMail_->setText(t(Msg::SendEMail));
}

bool CAuthkeyCompleteDlg::continueWithOtherKeys() const { return continue_->isChecked(); }

void CAuthkeyCompleteDlg::sendMail()
{
    for (const auto& made : mails_)
        mail_.send({{}, {made.attachment}, made.subject, made.body});
    accept();
}

} // namespace mvx::ui

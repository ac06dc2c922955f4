#include "ui/keys/COutdatedAuthKeyReportDlg.h"

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

COutdatedAuthKeyReportDlg::COutdatedAuthKeyReportDlg(CMessenger& messenger,
                                                     const std::vector<CKeyManager::OutdatedKey>& keys,
                                                     QWidget* parent)
    : QDialog(parent), text_(new QLabel(this)), list_(new QTreeWidget(this)), ok_(new QPushButton(this))
{
    const auto t = [&](int slot) { return q(messenger.text(slot)); };
    setObjectName("COutdatedAuthKeyReportDlg");
    makeFlatList(list_, "outdatedKeyList");
    ok_->setObjectName("ok");
    ok_->setDefault(true);
    setWindowTitle(t(Msg::OverdueKeyListTitle));
    text_->setText(t(Msg::KeyIsInvalid).trimmed());
    list_->setAccessibleName(text_->text());
    list_->setHeaderLabels({t(Msg::ColumnName), t(Msg::ColumnOverdueKeyFileName), t(Msg::ColumnOverdueTimeLimit)});
    list_->setColumnWidth(0, 160);
    list_->setColumnWidth(1, 260);
    ok_->setText(t(Msg::Ok));
    for (const auto& key : keys)
        new QTreeWidgetItem(list_, {q(key.displayName), q(key.fileName), q(key.expiry)});
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, &COutdatedAuthKeyReportDlg::accept);
    resize(560, 300);
}

bool COutdatedAuthKeyReportDlg::showIfAny(CMessenger& messenger, const CKeyManager& keys, QWidget* parent)
{
    if (!keys.hasOwnKeySet())
        return false;
    const auto outdated = keys.findOutdatedKeys();
    if (outdated.empty())
        return false;
    COutdatedAuthKeyReportDlg report(messenger, outdated, parent);
    report.exec();
    return true;
}

} // namespace mvx::ui

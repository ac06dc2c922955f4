#include "ui/shared/ListChoiceDialog.h"

#include "app/CMessageTable.h"
#include "app/Msg.h"
#include "ui/main/ListWidgets.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace mvx::ui {

ListChoiceDialog::ListChoiceDialog(const CMessageTable& table, Labels labels, bool multiple, QWidget* parent)
    : QDialog(parent), table_(table), labels_(std::move(labels)), text_(new QLabel(this)),
      list_(new QTreeWidget(this))
{
    text_->setWordWrap(true);
    makeFlatList(list_, "choiceList");
    list_->setSelectionMode(multiple ? QAbstractItemView::ExtendedSelection : QAbstractItemView::SingleSelection);
    list_->header()->setStretchLastSection(true);
    auto* buttons = new QDialogButtonBox(this);
    accept_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    cancel_ = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    accept_->setObjectName("ok");
    cancel_->setObjectName("cancel");
    accept_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    if (!multiple)
        connect(list_, &QTreeWidget::itemActivated, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(list_, 1);
    layout->addWidget(buttons);
    resize(520, 320);
    relabel();
}

void ListChoiceDialog::relabel()
{
    const auto t = [this](int slot) { return QString::fromStdString(table_.text(slot)); };
    setWindowTitle(t(labels_.caption));
    text_->setText(t(labels_.text));
    list_->setAccessibleName(text_->text());
    QStringList headers;
    for (int slot : labels_.columns)
        headers << t(slot);
    list_->setHeaderLabels(headers);
    accept_->setText(t(labels_.accept));
    cancel_->setText(t(Msg::Cancel));
}

void ListChoiceDialog::setRows(const std::vector<QStringList>& rows)
{
    list_->clear();
    for (const QStringList& row : rows)
        new QTreeWidgetItem(list_, row);
    list_->resizeColumnToContents(0);
}

std::vector<size_t> ListChoiceDialog::chosenRows() const { return selectedRows(list_); }

} // namespace mvx::ui

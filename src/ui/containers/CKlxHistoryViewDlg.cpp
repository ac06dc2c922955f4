#include "ui/containers/CKlxHistoryViewDlg.h"

#include "app/CMessageTable.h"
#include "app/Msg.h"
#include "ui/main/ListWidgets.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace mvx::ui {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

QLineEdit* readOnlyField(const std::string& text, const char* name, QWidget* parent)
{
    auto* field = new QLineEdit(q(text), parent);
    field->setObjectName(name);
    field->setReadOnly(true);
    return field;
}

} // namespace

CKlxHistoryViewDlg::CKlxHistoryViewDlg(const CMessageTable& table, const HistoryViewer::View& view, QWidget* parent)
    : QDialog(parent), table_(table), text_(new QLabel(this)), fileNameLabel_(new QLabel(this)),
      folderLabel_(new QLabel(this)), fileName_(readOnlyField(view.fileName, "fileName", this)),
      folder_(readOnlyField(view.folder, "saveFolder", this)), rows_(new QTreeWidget(this))
{
    setObjectName("CKlxHistoryViewDlg");
    makeFlatList(rows_, "historyRows");
    rows_->setSelectionMode(QAbstractItemView::SingleSelection);
    QList<QTreeWidgetItem*> rows;
    for (const auto& row : view.rows)
        rows << new QTreeWidgetItem(QStringList{q(row.date), q(row.operation), q(row.userName), q(row.mail)});
    fillFlatList(rows_, rows);
    auto* buttons = new QDialogButtonBox(this);
    close_ = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    close_->setObjectName("ok");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    fileNameLabel_->setBuddy(fileName_);
    folderLabel_->setBuddy(folder_);
    auto* fields = new QFormLayout;
    fields->addRow(fileNameLabel_, fileName_);
    fields->addRow(folderLabel_, folder_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(fields);
    layout->addWidget(rows_, 1);
    layout->addWidget(buttons);
    relabel();
    resize(640, 360);
}

void CKlxHistoryViewDlg::relabel()
{
    const auto t = [this](int slot) { return q(table_.text(slot)); };
    setWindowTitle(t(Msg::HistoryViewCaption));
    text_->setText(t(Msg::HistoryViewText));
    rows_->setAccessibleName(text_->text());
    fileNameLabel_->setText(t(Msg::LabelFileName));
    folderLabel_->setText(t(Msg::LabelSaveFolder));
    rows_->setHeaderLabels({t(Msg::ColumnDate), t(Msg::ColumnOperation), t(Msg::ColumnUserName),
                            t(Msg::ColumnMailAddress)});
    fitColumns(rows_);
    close_->setText(t(Msg::Ok));
}

} // namespace mvx::ui

#include "ui/containers/CKeyListSel.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "ui/containers/TimeLimitBox.h"
#include "ui/main/ListWidgets.h"
#include "ui/main/OutputFolderRow.h"
#include "ui/shared/WindowIcons.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace mvx::ui {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

} // namespace

CKeyListSel::CKeyListSel(mvx::DestinationChoiceRules& selection, CandidateList& candidates, CMessenger& messenger,
                         QWidget* parent)
    : QDialog(parent), selection_(selection), candidates_(candidates), messenger_(messenger),
      candidateCaption_(new QLabel(this)), chosenCaption_(new QLabel(this)), candidateList_(new QTreeWidget(this)),
      chosenList_(new QTreeWidget(this)), add_(new QPushButton(this)), remove_(new QPushButton(this)),
      limit_(new TimeLimitBox(this)), output_(new OutputFolderRow(messenger, this)), manageLogs_(new QCheckBox(this)),
      deleteFiles_(new QCheckBox(this)), ok_(new QPushButton(this)), attachedMail_(new QPushButton(this)),
      cancel_(new QPushButton(this))
{
    setObjectName("CKeyListSel");
    makeFlatList(candidateList_, "candidateList");
    makeFlatList(chosenList_, "chosenList");
    add_->setObjectName("add");
    remove_->setObjectName("remove");
    manageLogs_->setObjectName("manageLogs");
    deleteFiles_->setObjectName("deletePlainFiles");
    ok_->setObjectName("ok");
    attachedMail_->setObjectName("attachedMail");
    cancel_->setObjectName("cancel");
    ok_->setDefault(true);

    auto* lists = new QGridLayout;
    lists->addWidget(candidateCaption_, 0, 0);
    lists->addWidget(candidateList_, 1, 0);
    auto* moves = new QVBoxLayout;
    moves->addStretch();
    moves->addWidget(add_);
    moves->addWidget(remove_);
    moves->addStretch();
    lists->addLayout(moves, 1, 1);
    lists->addWidget(chosenCaption_, 0, 2);
    lists->addWidget(chosenList_, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok_);
    buttons->addWidget(attachedMail_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addWidget(limit_);
    layout->addWidget(output_);
    layout->addWidget(manageLogs_);
    layout->addWidget(deleteFiles_);
    layout->addLayout(buttons);

    connect(add_, &QPushButton::clicked, this, &CKeyListSel::addSelected);
    connect(remove_, &QPushButton::clicked, this, &CKeyListSel::removeSelected);
    connect(candidateList_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { candidateActivated(candidateList_->indexOfTopLevelItem(item)); });
    connect(chosenList_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        selection_.chosen.removeAt({static_cast<size_t>(chosenList_->indexOfTopLevelItem(item))});
        showChosen();
    });
    connect(ok_, &QPushButton::clicked, this, [this] { confirm(false); });
    connect(attachedMail_, &QPushButton::clicked, this, [this] { confirm(true); });
    connect(cancel_, &QPushButton::clicked, this, &CKeyListSel::reject);

    manageLogs_->setChecked(selection.options.manageLogs);
    deleteFiles_->setChecked(selection.options.deletePlainFiles);
    output_->setFolder(q(selection.options.outputFolder));
    relabel();
    limit_->load(selection.options);
    showCandidates();
    showChosen();
    resize(760, 640);
}

void CKeyListSel::relabel()
{
    const auto t = [&](int slot) { return q(messenger_.text(slot)); };
    setWindowTitle(t(Msg::KeyListSelCaption));
    candidateCaption_->setText(t(Msg::DestinationAddressList));
    chosenCaption_->setText(t(Msg::SelectionDestinationList));
    candidateList_->setAccessibleName(candidateCaption_->text());
    chosenList_->setAccessibleName(chosenCaption_->text());
    const QStringList headers = {t(Msg::ColumnName), t(Msg::ColumnEMail), t(Msg::ColumnKeyFileName)};
    for (QTreeWidget* list : {candidateList_, chosenList_}) {
        list->setHeaderLabels(headers);
        fitColumns(list);
    }
    add_->setText(t(Msg::Add));
    remove_->setText(t(Msg::Remove));
    manageLogs_->setText(t(Msg::ManageLogs));
    deleteFiles_->setText(t(Msg::DeleteEncryptedFilesCompletely));
    ok_->setText(t(Msg::Ok));
    attachedMail_->setText(t(Msg::AttachedMail));
    cancel_->setText(t(Msg::Cancel));
    limit_->relabel(messenger_.table(), Msg::SettingTimeLimit, Msg::DirectDecryptionTimeLimit);
}

void CKeyListSel::showCandidates()
{
    QList<QTreeWidgetItem*> rows;
    for (const auto& item : candidates_.items())
        rows << candidateRow(item, {q(item.label), q(item.mail), q(item.keyFileName)});
    fillFlatList(candidateList_, rows);
    fitColumns(candidateList_);
}

void CKeyListSel::showChosen()
{
    QList<QTreeWidgetItem*> rows;
    for (const auto& address : selection_.chosen.rows()) {
        const QString keyFile = q(address.destination.substr(address.destination.rfind('/') + 1));
        rows << addressRow(address, {q(address.name), q(address.mail), keyFile});
    }
    fillFlatList(chosenList_, rows);
    fitColumns(chosenList_);
}

void CKeyListSel::addSelected()
{
    for (const auto& row : candidates_.rowsFor(selectedRows(candidateList_)))
        selection_.chosen.add(row);
    showChosen();
}

void CKeyListSel::removeSelected()
{
    selection_.chosen.removeAt(selectedRows(chosenList_));
    showChosen();
}

void CKeyListSel::candidateActivated(int index)
{
    if (index < 0)
        return;
    if (const auto row = candidates_.activate(static_cast<size_t>(index))) {
        selection_.chosen.add(*row);
        showChosen();
    } else {
        showCandidates();
    }
}

void CKeyListSel::confirm(bool mail)
{
    selection_.options.manageLogs = manageLogs_->isChecked();
    selection_.options.deletePlainFiles = deleteFiles_->isChecked();
    selection_.options.outputFolder = output_->folder().toStdString();
    limit_->store(selection_.options);
    const auto result = selection_.onOk(messenger_, mail);
    if (!result.accepted) {
        limit_->focus(result.focus);
        return;
    }
    accept();
}

} // namespace mvx::ui

#include "ui/main/FilePaneView.h"

#include "app/CMessageTable.h"
#include "app/Msg.h"
#include "ui/main/FileListModel.h"
#include "ui/main/ListWidgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHBoxLayout>
#include <QStandardPaths>
#include <QStyle>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace mvx::ui {

FilePaneView::FilePaneView(QWidget* parent)
    : QWidget(parent), selector_(new QComboBox(this)), up_(new QToolButton(this)), refresh_(new QToolButton(this)),
      list_(new QTreeView(this)), model_(new FileListModel(pane_, this)), encryptedOnly_(new QCheckBox(this))
{
    selector_->setObjectName("folderSelector");
    selector_->setEditable(true);
    up_->setObjectName("upFolder");
    refresh_->setObjectName("refreshFolder");
    encryptedOnly_->setObjectName("encryptedOnly");
    makeFlatList(list_, "fileList");
    list_->setModel(model_);
    list_->setContextMenuPolicy(Qt::ActionsContextMenu);
    up_->setIcon(QApplication::style()->standardIcon(QStyle::SP_FileDialogToParent));
    up_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
    refresh_->setShortcut(QKeySequence::Refresh);
    refresh_->setIcon(QApplication::style()->standardIcon(QStyle::SP_BrowserReload));

    auto* top = new QHBoxLayout;
    top->addWidget(selector_, 1);
    top->addWidget(up_);
    top->addWidget(refresh_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(list_, 1);
    layout->addWidget(encryptedOnly_);

    fillSelector();
    connect(selector_, &QComboBox::textActivated, this, [this](const QString& folder) {
        pane_.choose(folder.toStdString());
        showEntries();
    });
    connect(up_, &QToolButton::clicked, this, [this] {
        pane_.up();
        showEntries();
    });
    connect(refresh_, &QToolButton::clicked, this, [this] {
        refresh();
        emit refreshRequested();
    });
    connect(encryptedOnly_, &QCheckBox::toggled, this, [this](bool on) {
        pane_.setEncryptedOnly(on);
        showEntries();
    });
    connect(list_, &QTreeView::activated, this, &FilePaneView::activated);
    pane_.choose(selector_->currentText().toStdString());
    showEntries();
}

void FilePaneView::activated(const QModelIndex& index)
{
    const auto& entries = pane_.entries();
    if (!index.isValid() || static_cast<size_t>(index.row()) >= entries.size())
        return;
    const auto& entry = entries[static_cast<size_t>(index.row())];
    const QString path = QString::fromStdString(pane_.folder() + entry.name);
    if (entry.folder)
        showFolder(path);
    else
        emit fileActivated(path);
}

void FilePaneView::fillSelector()
{
    QStringList folders = {QDir::homePath()};
    for (auto location : {QStandardPaths::DesktopLocation, QStandardPaths::DocumentsLocation,
                          QStandardPaths::DownloadLocation}) {
        const QString folder = QStandardPaths::writableLocation(location);
        if (!folders.contains(folder) && QDir(folder).exists())
            folders << folder;
    }
    folders << "/";
    selector_->addItems(folders);
}

void FilePaneView::showFolder(const QString& folder)
{
    pane_.show(folder.toStdString());
    showEntries();
}

void FilePaneView::refresh()
{
    pane_.refresh();
    showEntries();
}

void FilePaneView::relabel(const CMessageTable& table)
{
    const auto q = [&](int slot) { return QString::fromStdString(table.text(slot)); };
    model_->setHeaders({q(Msg::ColumnName), q(Msg::ColumnSize), q(Msg::ColumnDate)});
    list_->setColumnWidth(FileListModel::NameColumn, 170);
    fitDetailColumns();
    up_->setToolTip(q(Msg::UpOneFolder));
    refresh_->setToolTip(q(Msg::RefreshFolder));
    up_->setAccessibleName(up_->toolTip());
    refresh_->setAccessibleName(refresh_->toolTip());
    selector_->setAccessibleName(q(Msg::Folder));
    list_->setAccessibleName(q(Msg::FilesOfFolderName));
    encryptedOnly_->setText(q(Msg::EncryptedFilesOnly));
}

void FilePaneView::showEntries()
{
    model_->reload();
    fitDetailColumns();
    up_->setEnabled(pane_.upEnabled());
    selector_->setEditText(QString::fromStdString(pane_.folder()));
}

// Size and date as wide as their texts; the name keeps the width it has.
void FilePaneView::fitDetailColumns()
{
    list_->header()->setStretchLastSection(true);
    list_->resizeColumnToContents(FileListModel::SizeColumn);
}

std::vector<std::string> FilePaneView::selectedNames() const
{
    std::vector<std::string> names;
    for (size_t row : selectedRows(list_))
        names.push_back(pane_.entries()[row].name);
    return names;
}

std::vector<std::string> FilePaneView::selectedPaths() const { return pane_.pathsOf(selectedRows(list_)); }

} // namespace mvx::ui

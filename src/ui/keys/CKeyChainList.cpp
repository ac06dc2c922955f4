#include "ui/keys/CKeyChainList.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "keys/KeyFileNames.h"
#include "ui/containers/TimeLimitBox.h"
#include "ui/main/ListWidgets.h"
#include "ui/main/StudioListWidget.h"
#include "ui/shared/WindowIcons.h"
#include "workbench/AppSession.h"
#include "workbench/IMailHandOver.h"

#include <QAction>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

namespace mvx::ui {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

constexpr int kKindRole = Qt::UserRole;
constexpr int kValueRole = Qt::UserRole + 1;

// Buttons in their order, with their slots.
struct ButtonEntry {
    const char* name;
    int slot;
};
constexpr ButtonEntry kButtons[] = {
    {"add", Msg::Add},
    {"modify", Msg::Modify},
    {"move", Msg::Move},
    {"delete", Msg::Delete},
    {"makeFolder", Msg::MakeFolder},
    {"createEncryptFile", Msg::CreateEncryptFile},
    {"publicKeyAuthentication", Msg::PublicKeyAuthentication},
    {"close", Msg::Close},
};

QString parentOf(const QString& folder)
{
    QString trimmed = folder;
    trimmed.chop(1);
    return trimmed.left(trimmed.lastIndexOf('/') + 1);
}

} // namespace

CKeyChainList::CKeyChainList(AppSession& session, mvx::DestinationListEditor& list, StrayKeys& strays, IMailHandOver& mail,
                             Hooks hooks, QWidget* parent)
    : QDialog(parent), session_(session), list_(list), mail_(mail), hooks_(std::move(hooks)), strays_(strays),
      options_(session.settings().deleteCheck1 != 0),
      tree_(new QTreeWidget(this)), title_(new QLabel(this)), entries_(new QTreeWidget(this)),
      limit_(new TimeLimitBox(this)), manageLogs_(new QCheckBox(this)), deleteFiles_(new QCheckBox(this)),
      sendMail_(new QCheckBox(this))
{
    setObjectName("CKeyChainList");
    setAcceptDrops(true);
    tree_->setObjectName("folderTree");
    tree_->setHeaderHidden(true);
    makeFlatList(entries_, "entryList");
    entries_->setContextMenuPolicy(Qt::ActionsContextMenu);
    // Six columns are wider than the list: each as wide as its texts, the list scrolls.
    entries_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    entries_->header()->setStretchLastSection(false);
    title_->setObjectName("folderTitle");
    manageLogs_->setObjectName("manageLogs");
    deleteFiles_->setObjectName("deletePlainFiles");
    sendMail_->setObjectName("sendEncryptedFilesByMail");
    manageLogs_->setChecked(options_.manageLogs);
    deleteFiles_->setChecked(options_.deletePlainFiles);
    limit_->load(options_);

    const std::pair<const char*, void (CKeyChainList::*)()> commands[] = {
        {"menuNewRegistration", &CKeyChainList::add},       {"menuChange", &CKeyChainList::modify},
        {"menuDelete", &CKeyChainList::remove},             {"menuCreateFolder", &CKeyChainList::makeFolder},
        {"menuCreateEncryptionFile", &CKeyChainList::createEncryptFile},
        {"menuCreateSelfAuthKey", &CKeyChainList::authenticateSelected},
        {"menuMove", &CKeyChainList::move},                 {"menuCut", &CKeyChainList::cut},
        {"menuPaste", &CKeyChainList::paste},               {"menuMailKeyFiles", &CKeyChainList::mailKeyFiles},
    };
    const int menuSlots[] = {Msg::NewRegistration, Msg::Change,  Msg::Delete, Msg::CreateFolder, Msg::CreateEncryptionFile,
                         Msg::CreateSelfAuthKeyFrom, Msg::Move, Msg::Cut, Msg::Paste, Msg::SendKeyFilesByMail};
    for (size_t i = 0; i < std::size(commands); ++i)
        menu_.emplace_back(addCommand(commands[i].first, commands[i].second), menuSlots[i]);
    authenticateSelected_ = menu_[5].first;
    paste_ = menu_[8].first;

    auto* right = new QWidget(this);
    auto* rightLayout = new QVBoxLayout(right);
    rightLayout->setContentsMargins(0, 0, 0, 0);
    rightLayout->addWidget(title_);
    rightLayout->addWidget(entries_, 1);
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(tree_);
    splitter->addWidget(right);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({220, 760});
    auto* options = new QHBoxLayout;
    auto* boxes = new QVBoxLayout;
    for (QCheckBox* box : {manageLogs_, deleteFiles_, sendMail_})
        boxes->addWidget(box);
    boxes->addStretch();
    options->addWidget(limit_, 1);
    options->addLayout(boxes);
    auto* buttonRow = new QHBoxLayout;
    buildButtons(buttonRow);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(splitter, 1);
    layout->addLayout(options);
    layout->addLayout(buttonRow);

    connect(tree_, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { showFolder(item->data(0, kValueRole).toString().toStdString()); });
    connect(entries_, &QTreeWidget::itemActivated, this, &CKeyChainList::activated);
    connect(entries_, &QTreeWidget::itemSelectionChanged, this, &CKeyChainList::updateSelectionTexts);
    session_.language().addObserver(this);
    relabel();
    resize(1040, 760);
}

CKeyChainList::~CKeyChainList() { session_.language().removeObserver(this); }

QAction* CKeyChainList::addCommand(const char* name, void (CKeyChainList::*handler)())
{
    auto* created = new QAction(this);
    created->setObjectName(name);
    connect(created, &QAction::triggered, this, handler);
    entries_->addAction(created);
    return created;
}

void CKeyChainList::buildButtons(QLayout* layout)
{
    const std::map<std::string, void (CKeyChainList::*)()> handlers = {
        {"add", &CKeyChainList::add},
        {"modify", &CKeyChainList::modify},
        {"move", &CKeyChainList::move},
        {"delete", &CKeyChainList::remove},
        {"makeFolder", &CKeyChainList::makeFolder},
        {"createEncryptFile", &CKeyChainList::createEncryptFile},
        {"publicKeyAuthentication", &CKeyChainList::authenticate},
    };
    for (const auto& kind : kButtons) {
        auto* button = new QPushButton(this);
        button->setObjectName(kind.name);
        button->setAutoDefault(false);
        const auto handler = handlers.find(kind.name);
        if (handler != handlers.end())
            connect(button, &QPushButton::clicked, this, handler->second);
        else
            connect(button, &QPushButton::clicked, this, &QDialog::accept);
        layout->addWidget(button);
        buttons_.emplace_back(button, kind.slot);
    }
}

void CKeyChainList::relabel()
{
    const auto t = [&](int slot) { return q(session_.messenger().text(slot)); };
    setWindowTitle(t(Msg::KeyChainListTitle));
    tree_->setAccessibleName(t(Msg::KeyChainListTitle));
    entries_->setAccessibleName(t(Msg::DestinationAddressList));
    entries_->setHeaderLabels({t(Msg::ColumnName), t(Msg::ColumnEMail), t(Msg::ColumnKeyFileName),
                               t(Msg::ColumnFileTime), t(Msg::ColumnExpirationDate), t(Msg::ColumnLastOperationDate)});
    fitColumns(entries_);
    for (const auto& [button, slot] : buttons_)
        button->setText(t(slot));
    for (const auto& [command, slot] : menu_)
        command->setText(t(slot));
    manageLogs_->setText(t(Msg::ManageLogs));
    deleteFiles_->setText(t(Msg::DeleteEncryptedFilesCompletely));
    sendMail_->setText(t(Msg::SendEncryptedFilesByMail));
    limit_->relabel(session_.messenger().table(), Msg::SettingTimeLimit, Msg::DirectDecryptionTimeLimit);
    if (!view_.folder.empty())
        refresh();
}

void CKeyChainList::showOnKeyFolder()
{
    showFolder({});
    show();
    raise();
    activateWindow();
    if (strays_.offer() > 0)
        refresh();
}

void CKeyChainList::showFolder(const std::string& folder)
{
    view_ = list_.showFolder(folder);
    showTree();
    title_->setText(q(view_.title));
    QList<QTreeWidgetItem*> rows;
    const auto addRow = [&rows](const QStringList& texts, RowKind kind, const QVariant& value, QStyle::StandardPixmap icon) {
        auto* item = new QTreeWidgetItem(texts);
        item->setData(0, kKindRole, kind);
        item->setData(0, kValueRole, value);
        item->setIcon(0, sharedStandardIcon(icon));
        rows << item;
    };
    if (!view_.parentRow.empty())
        addRow({q(view_.parentRow)}, ParentRow, parentOf(q(view_.folder)), QStyle::SP_FileDialogToParent);
    for (const std::string& name : view_.subfolders)
        addRow({q(name)}, FolderRow, q(view_.folder + name + "/"), QStyle::SP_DirIcon);
    const std::string oneself = session_.messenger().text(Msg::OneselfMark);
    for (size_t i = 0; i < view_.rows.size(); ++i) {
        const auto& row = view_.rows[i];
        const std::string name = row.oneself ? row.name + " " + oneself : row.name;
        addRow({q(name), q(row.mail), q(row.keyFileName), q(row.fileTime), q(row.expiration), q(row.lastOperation)},
               EntryRow, static_cast<qulonglong>(i),
               row.authenticated ? QStyle::SP_DialogApplyButton : QStyle::SP_FileIcon);
    }
    fillFlatList(entries_, rows);
    fitColumns(entries_);
    updateSelectionTexts();
}

void CKeyChainList::refresh()
{
    if (isVisible())
        showFolder(view_.folder);
}

void CKeyChainList::showTree()
{
    tree_->clear();
    std::map<std::string, QTreeWidgetItem*> nodes;
    const std::string root = session_.keys().keyFolder();
    for (const std::string& folder : session_.keys().keyFolderTree()) {
        QTreeWidgetItem* node = nullptr;
        if (folder == root) {
            node = new QTreeWidgetItem(tree_, {q(session_.keys().owner() +
                                                 session_.messenger().text(Msg::OwnersDestinationListSuffix))});
        } else {
            const std::string parent = parentOf(q(folder)).toStdString();
            const auto above = nodes.find(parent);
            if (above == nodes.end())
                continue;
            node = new QTreeWidgetItem(above->second, {q(KeyFileNames::fileNameOf(folder.substr(0, folder.size() - 1)))});
        }
        node->setData(0, kValueRole, q(folder));
        node->setIcon(0, sharedStandardIcon(QStyle::SP_DirIcon));
        nodes[folder] = node;
        if (folder == view_.folder)
            tree_->setCurrentItem(node);
    }
    tree_->expandAll();
}

std::vector<size_t> CKeyChainList::selectedEntries() const
{
    std::vector<size_t> chosen;
    for (int i = 0; i < entries_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = entries_->topLevelItem(i);
        if (item->isSelected() && item->data(0, kKindRole).toInt() == EntryRow)
            chosen.push_back(item->data(0, kValueRole).toULongLong());
    }
    return chosen;
}

std::vector<std::string> CKeyChainList::selectedFolders() const
{
    std::vector<std::string> chosen;
    for (int i = 0; i < entries_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = entries_->topLevelItem(i);
        if (item->isSelected() && item->data(0, kKindRole).toInt() == FolderRow)
            chosen.push_back(item->data(0, kValueRole).toString().toStdString());
    }
    return chosen;
}

// "Creation Auth-Key ... from %s." names the selected partner; it applies to a plain public key.
void CKeyChainList::updateSelectionTexts()
{
    const auto chosen = selectedEntries();
    const bool onePlainKey = chosen.size() == 1 && !view_.rows[chosen.front()].authenticated;
    const std::string name = onePlainKey ? view_.rows[chosen.front()].name : std::string();
    authenticateSelected_->setText(q(session_.messenger().format(Msg::CreateSelfAuthKeyFrom, name)));
    authenticateSelected_->setEnabled(onePlainKey && hooks_.authenticate);
    paste_->setEnabled(!cutNames_.empty());
}

void CKeyChainList::activated(QTreeWidgetItem* item)
{
    const int kind = item->data(0, kKindRole).toInt();
    if (kind == ParentRow || kind == FolderRow)
        showFolder(item->data(0, kValueRole).toString().toStdString());
    else
        modify();
}

void CKeyChainList::add()
{
    CMessenger& messenger = session_.messenger();
    registerKeyFiles(messenger.interaction().chooseFilesFiltered(messenger.text(Msg::Add), view_.folder,
                                                                 messenger.text(Msg::PublicKeyFileFilter)));
}

void CKeyChainList::registerKeyFiles(const std::vector<std::string>& keyFiles)
{
    if (keyFiles.empty())
        return;
    for (const std::string& keyFile : keyFiles)
        list_.registerKey(keyFile, view_.folder);
    refresh();
}

void CKeyChainList::modify()
{
    list_.showFolder(view_.folder);
    list_.modify(selectedEntries());
    refresh();
}

void CKeyChainList::move()
{
    list_.showFolder(view_.folder);
    list_.move(selectedEntries());
    showTree();
    refresh();
}

void CKeyChainList::remove()
{
    const auto folders = selectedFolders();
    const auto entries = selectedEntries();
    list_.showFolder(view_.folder);
    for (const std::string& folder : folders)
        list_.deleteFolder(folder);
    if (!entries.empty() || folders.empty())
        list_.deleteEntries(entries);
    refresh();
}

void CKeyChainList::makeFolder()
{
    CMessenger& messenger = session_.messenger();
    QInputDialog ask(this);
    ask.setObjectName("makeFolderDialog");
    ask.setWindowTitle(q(messenger.text(Msg::MakeFolder)));
    ask.setLabelText(q(messenger.text(Msg::FolderNameLabel)));
    ask.setOkButtonText(q(messenger.text(Msg::Ok)));
    ask.setCancelButtonText(q(messenger.text(Msg::Cancel)));
    if (ask.exec() != QDialog::Accepted)
        return;
    list_.showFolder(view_.folder);
    list_.makeFolder(ask.textValue().trimmed().toStdString());
    refresh();
}

void CKeyChainList::createEncryptFile()
{
    options_.manageLogs = manageLogs_->isChecked();
    options_.deletePlainFiles = deleteFiles_->isChecked();
    limit_->store(options_);
    const auto checked = options_.onOk(session_.messenger());
    if (!checked.accepted) {
        limit_->focus(checked.focus);
        return;
    }
    list_.showFolder(view_.folder);
    const auto handOver = list_.createEncryptFile(selectedEntries());
    if (!handOver || !hooks_.encrypt)
        return;
    EncryptChoices choices;
    choices.destinations = handOver->keyFiles;
    choices.options = options_.options();
    choices.mail = sendMail_->isChecked();
    hooks_.encrypt(choices, handOver->plainFiles);
}

void CKeyChainList::authenticate()
{
    if (hooks_.authenticate)
        hooks_.authenticate({});
    refresh();
}

void CKeyChainList::authenticateSelected()
{
    const auto chosen = selectedEntries();
    if (chosen.size() != 1 || !hooks_.authenticate)
        return;
    hooks_.authenticate({view_.folder + view_.rows[chosen.front()].keyFileName});
    refresh();
}

void CKeyChainList::cut()
{
    cutNames_.clear();
    cutFolder_ = view_.folder;
    for (size_t index : selectedEntries())
        cutNames_.push_back(view_.rows[index].keyFileName);
    if (cutNames_.empty())
        session_.messenger().show(Msg::NoItemsSelected, MsgIcon::Exclamation);
    updateSelectionTexts();
}

// "Paste" moves the entries cut before into the folder shown.
void CKeyChainList::paste()
{
    if (cutNames_.empty())
        return;
    const std::string target = view_.folder;
    const auto source = list_.showFolder(cutFolder_);
    std::vector<size_t> chosen;
    for (size_t i = 0; i < source.rows.size(); ++i)
        if (std::find(cutNames_.begin(), cutNames_.end(), source.rows[i].keyFileName) != cutNames_.end())
            chosen.push_back(i);
    list_.move(chosen, target);
    cutNames_.clear();
    showFolder(target);
}

void CKeyChainList::mailKeyFiles()
{
    MailDraft draft;
    for (size_t index : selectedEntries())
        draft.attachments.push_back(view_.folder + view_.rows[index].keyFileName);
    if (draft.attachments.empty()) {
        session_.messenger().show(Msg::NoItemsSelected, MsgIcon::Exclamation);
        return;
    }
    mail_.send(draft);
}

void CKeyChainList::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!view_.folder.empty())
        showFolder(view_.folder);
}

void CKeyChainList::dragEnterEvent(QDragEnterEvent* event)
{
    if (!StudioListWidget::localPaths(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void CKeyChainList::dropEvent(QDropEvent* event)
{
    std::vector<std::string> keyFiles;
    for (const QString& path : StudioListWidget::localPaths(event->mimeData()))
        keyFiles.push_back(path.toStdString());
    event->acceptProposedAction();
    registerKeyFiles(keyFiles);
}

} // namespace mvx::ui

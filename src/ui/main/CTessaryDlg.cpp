#include "ui/main/CTessaryDlg.h"

#include "app/IFolderFacts.h"
#include "app/MainWindowLabels.h"
#include "app/Msg.h"
#include "net/MailUses.h"
#include "ui/containers/CHistoryFileSelector.h"
#include "ui/containers/CKlxHistoryViewDlg.h"
#include "ui/containers/CKlxSetAdrsViewDlg.h"
#include "ui/containers/CQrcodeViewDlg.h"
#include "ui/containers/CTransportKlxSelDlg.h"
#include "ui/containers/InPlaceOpener.h"
#include "ui/containers/WindowEncryptChooser.h"
#include "ui/keys/CKeyChainList.h"
#include "ui/keys/CKeyChainList_Add.h"
#include "ui/keys/CKeygenWizard.h"
#include "ui/keys/COutdatedAuthKeyReportDlg.h"
#include "ui/keys/KeyDropRegistration.h"
#include "ui/keys/WindowAuthentication.h"
#include "ui/main/COptions.h"
#include "ui/main/CTessaryDialogMini.h"
#include "ui/main/FilePaneView.h"
#include "ui/main/ListWidgets.h"
#include "ui/main/StudioListWidget.h"
#include "ui/service/CVelquinLoginDiag.h"
#include "ui/service/CVelquinSendDlg.h"
#include "ui/shared/BatchProgressBridge.h"
#include "ui/shared/BatchRunner.h"
#include "ui/shared/UiThread.h"
#include "ui/shared/WindowIcons.h"
#include "workbench/AppSession.h"
#include "workbench/BatchFiles.h"
#include "workbench/DeleteFlows.h"
#include "workbench/ForwardFile.h"
#include "workbench/HistoryViewer.h"
#include "workbench/InPlaceOpenings.h"
#include "workbench/KeyPairChoice.h"
#include "workbench/MailUsesHandOver.h"
#include "workbench/OptionsApply.h"
#include "workbench/ProgressFileCrypto.h"
#include "workbench/ProgressLine.h"
#include "workbench/WorkbenchCommands.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QShortcut>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace mvx::ui {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

// Slots of the commands that the menu label table does not name.
const std::map<int, int> kExtraCommandSlots = {
    {CTessaryDlg::CmdDeleteFiles, Msg::DeleteFiles},
    {CTessaryDlg::CmdMiniaturization, Msg::ToolMiniaturization},
    {CTessaryDlg::CmdUseMiniMenu, Msg::UseMiniMenu},
    {CTessaryDlg::CmdRequestKeyRepair, Msg::RequestKeyRepair},
    {CTessaryDlg::CmdEncryptSelected, Msg::EncryptionForOneself},
    {CTessaryDlg::CmdDecryptSelected, Msg::ToolDecryption},
    {CTessaryDlg::CmdDeleteSelected, Msg::Delete},
    {CTessaryDlg::CmdChooseKeyPair, Msg::MenuSelectKey},
    {CTessaryDlg::CmdUploadToMyFolder, Msg::ServiceUploadCaption},
    {CTessaryDlg::CmdEasySend, Msg::ServiceEasySendCaption},
    {CTessaryDlg::CmdTransferEncrypted, Msg::ServiceTransferCaption},
    {CTessaryDlg::CmdDecryptReceived, Msg::DecryptReceivedFiles},
};

// Toolbar buttons that share another command's operation.
int operationOf(int toolCommand)
{
    if (toolCommand == 32841)
        return CTessaryDlg::CmdShowFileLogs;
    if (toolCommand == 32840)
        return CTessaryDlg::CmdForwardFile;
    return toolCommand;
}

// "&Encryption\tCtrl+E": the label before the tab, the shortcut after it.
void setMenuText(QAction* action, const std::string& text)
{
    const QString full = q(text);
    const int tab = full.indexOf('\t');
    action->setText(tab < 0 ? full : full.left(tab));
    if (tab >= 0)
        action->setShortcut(QKeySequence(full.mid(tab + 1)));
}

QString helpPage()
{
    const QString beside = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {beside + "/help/index.html", beside + "/../share/morvanex/help/index.html"})
        if (QFileInfo::exists(candidate))
            return candidate;
    return {};
}

constexpr const char* kWebHelpAddress = "https://velquin.example/help/";

} // namespace

CTessaryDlg::CTessaryDlg(AppSession& session, QWidget* parent)
    : QMainWindow(parent), session_(session), runner_(new BatchRunner(this)), progress_(new BatchProgressBridge(this)),
      openings_(std::make_unique<InPlaceOpenings>(session)),
      opener_(new InPlaceOpener(*openings_, this)), mail_(std::make_unique<MailUsesHandOver>(&session.messenger())),
      authentication_(std::make_unique<WindowAuthentication>(session, *mail_, this))
{
    setObjectName("CTessaryDlg");
    attachKeySet();
    buildMenus();
    buildToolbar();
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    filePane_ = new FilePaneView(splitter);
    filePane_->list()->addActions({action(CmdEncryptSelected), action(CmdDecryptSelected), action(CmdDeleteSelected),
                                   action(CmdChooseKeyPair)});
    auto* right = new QSplitter(Qt::Vertical, splitter);
    rightPanes_ = right;
    right->addWidget(buildStudioPane());
    right->addWidget(buildDestinationPane());
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    splitter->setSizes({400, 700});
    panes_ = splitter;
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(splitter, 1);
    setCentralWidget(central);
    layout->addWidget(buildBottom());
    connectProgress();
    connect(filePane_, &FilePaneView::refreshRequested, this, &CTessaryDlg::refreshPanes);
    connect(runner_, &BatchRunner::busyChanged, this, &CTessaryDlg::setBusy);
    connect(filePane_, &FilePaneView::fileActivated, this, [this](const QString& path) {
        if (BatchFiles::endsWithLower(path.toStdString(), ".klx"))
            openInPlace(path.toStdString());
    });
    connect(opener_, &InPlaceOpener::opened, this, [this](const QString& path, int result) {
        filePane_->refresh();
        emit openedInPlace(path, result);
    });

    session_.language().addObserver(this);
    relabel();
    showCandidates();
    setMinimumSize(720, 480);
    resize(1100, 720);
    restoreLayout();
    // Focus starts in the file list, not in the folder field that would take Ctrl+X.
    filePane_->list()->setFocus();
}

// The batch plumbing and the destination list over the session's key set;
// run again whenever the session has read another key set.
void CTessaryDlg::attachKeySet()
{
    const std::vector<std::string> studio = workbench_ ? workbench_->studio().entries() : std::vector<std::string>();
    workbench_ = std::make_unique<WorkbenchSession>(session_.messenger(), session_.settings(), session_.keys(),
                                                    session_.settingsFound());
    for (const auto& path : studio)
        workbench_->studio().AddToStudio(path);
    keyChainList_ = std::make_unique<mvx::DestinationListEditor>(session_.messenger(), session_.keys(),
                                                         CKeyChainList_Add::opener(session_.messenger(), this));
    candidates_ = std::make_unique<CandidateList>(*keyChainList_);
    strays_ = std::make_unique<StrayKeys>(session_.messenger(), session_.keys());
    keyDrops_ = std::make_unique<KeyDropRegistration>(this, session_.keys(), *keyChainList_, *strays_);
    // The destination-list window is made again over the new list when next opened.
    if (keyChainWindow_) {
        keyChainWindow_->hide();
        keyChainWindow_->deleteLater();
        keyChainWindow_ = nullptr;
    }
    chooser_ = std::make_unique<WindowEncryptChooser>(
        session_.messenger(), *keyChainList_, [this] { return session_.settings().deleteCheck1 != 0; }, this);
    BatchContext& context = workbench_->context();
    context.chooser = chooser_.get();
    context.progress = progress_;
    context.work.setAbortFlag(runner_->abortFlag());
    context.crypto->setStopFlag(runner_->abortFlag());
}

void CTessaryDlg::useNewKeySet()
{
    attachKeySet();
    addresses_.clear();
    showAddresses();
    showKeyName();
    if (mini_)
        mini_->relabel();
    candidateList_->clear();
    candidateTitle_->clear();
    showCandidates();
}

CTessaryDlg::~CTessaryDlg()
{
    runner_->waitForIdle();
    opener_->waitForAll();
    session_.language().removeObserver(this);
}

QAction* CTessaryDlg::addCommand(int command, const char* name, void (CTessaryDlg::*handler)())
{
    auto* created = new QAction(this);
    created->setObjectName(name);
    created->setData(command);
    if (handler)
        connect(created, &QAction::triggered, this, handler);
    else
        created->setEnabled(false);  // brought by the dialogs listed in README.md
    actions_[command] = created;
    return created;
}

QAction* CTessaryDlg::action(int command) const
{
    const auto found = actions_.find(command);
    return found == actions_.end() ? nullptr : found->second;
}

void CTessaryDlg::buildMenus()
{
    mainMenu_ = menuBar()->addMenu(QString());
    mainMenu_->setObjectName("menuMain");
    mainMenu_->addAction(addCommand(CmdEncryption, "actionEncryption", &CTessaryDlg::encrypt));
    mainMenu_->addAction(addCommand(CmdDecryption, "actionDecryption", &CTessaryDlg::decrypt));
    mainMenu_->addSeparator();
    mainMenu_->addAction(addCommand(CmdShowFileLogs, "actionShowFileLogs", &CTessaryDlg::showStudioFileLogs));
    mainMenu_->addAction(addCommand(CmdForwardFile, "actionForwardFile", &CTessaryDlg::forwardStudioFiles));
    mainMenu_->addAction(addCommand(CmdDeleteFiles, "actionDeleteFiles", &CTessaryDlg::deleteStudioFiles));
    mainMenu_->addSeparator();
    mainMenu_->addAction(addCommand(CmdCreateKey, "actionCreateKey", &CTessaryDlg::createKey));
    mainMenu_->addAction(addCommand(CmdKeyChainList, "actionKeyChainList", &CTessaryDlg::showKeyChainList));
    mainMenu_->addAction(addCommand(CmdAuthentication, "actionAuthentication", &CTessaryDlg::authenticateCommand));
    mainMenu_->addAction(addCommand(CmdSendPublicKey, "actionSendPublicKey", &CTessaryDlg::sendPublicKey));
    mainMenu_->addAction(addCommand(CmdShowQrCode, "actionShowQrCode", &CTessaryDlg::showQrCode));
    mainMenu_->addAction(addCommand(CmdUploadToMyFolder, "actionUploadToMyFolder", &CTessaryDlg::uploadToMyFolder));
    mainMenu_->addAction(addCommand(CmdEasySend, "actionEasySend", &CTessaryDlg::easySend));
    mainMenu_->addAction(addCommand(CmdTransferEncrypted, "actionTransferEncrypted", &CTessaryDlg::transferEncrypted));
    mainMenu_->addAction(addCommand(CmdDecryptReceived, "actionDecryptReceived", &CTessaryDlg::decryptReceived));
    mainMenu_->addAction(addCommand(CmdKeyBackup, "actionKeyBackup", nullptr));
    mainMenu_->addAction(addCommand(CmdRequestKeyRepair, "actionRequestKeyRepair", nullptr));
    mainMenu_->addSeparator();
    mainMenu_->addAction(addCommand(CmdSettings, "actionSettings", &CTessaryDlg::showOptions));
    auto* languages = new QActionGroup(this);
    for (QAction* language : {addCommand(CmdJapanese, "actionJapanese", &CTessaryDlg::japanese),
                              addCommand(CmdEnglish, "actionEnglish", &CTessaryDlg::english)}) {
        language->setCheckable(true);
        languages->addAction(language);
        mainMenu_->addAction(language);
    }
    mainMenu_->addSeparator();
    mainMenu_->addAction(addCommand(CmdMiniaturization, "actionMiniaturization", &CTessaryDlg::showMiniWindow));
    mainMenu_->addAction(addCommand(CmdUseMiniMenu, "actionUseMiniMenu", &CTessaryDlg::showMiniWindow));
    mainMenu_->addSeparator();
    mainMenu_->addAction(addCommand(CmdExit, "actionExit", nullptr));
    connect(action(CmdExit), &QAction::triggered, this, &QWidget::close);
    action(CmdExit)->setEnabled(true);

    helpMenu_ = menuBar()->addMenu(QString());
    helpMenu_->setObjectName("menuHelp");
    helpMenu_->addAction(addCommand(CmdHelpIndex, "actionHelpIndex", &CTessaryDlg::help));
    helpMenu_->addAction(addCommand(CmdAbout, "actionAbout", &CTessaryDlg::about));

    addCommand(CmdEncryptSelected, "actionEncryptSelected", &CTessaryDlg::encryptSelected);
    addCommand(CmdDecryptSelected, "actionDecryptSelected", &CTessaryDlg::decryptSelected);
    addCommand(CmdDeleteSelected, "actionDeleteSelected", &CTessaryDlg::deleteSelected);
    addCommand(CmdChooseKeyPair, "actionChooseKeyPair", &CTessaryDlg::chooseKeyPair);
}

void CTessaryDlg::buildToolbar()
{
    toolbar_ = addToolBar(QString());
    toolbar_->setObjectName("toolbar");
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    toolbar_->setMovable(false);
    const std::map<int, QStyle::StandardPixmap> icons = {
        {CmdEncryption, QStyle::SP_DialogSaveButton}, {CmdDecryption, QStyle::SP_DialogOpenButton},
        {32841, QStyle::SP_FileDialogDetailedView},   {32840, QStyle::SP_ArrowForward},
        {CmdCreateKey, QStyle::SP_FileDialogNewFolder}, {CmdKeyChainList, QStyle::SP_FileDialogListView},
        {CmdMiniaturization, QStyle::SP_DesktopIcon}, {CmdDeleteFiles, QStyle::SP_TrashIcon},
        {CmdRequestKeyRepair, QStyle::SP_BrowserReload}, {CmdShowQrCode, QStyle::SP_FileDialogContentsView},
    };
    for (const auto& label : kToolbarLabels) {
        QAction* operation = action(operationOf(label.command));
        auto* button = toolbar_->addAction(style()->standardIcon(icons.at(label.command)), QString());
        button->setObjectName(QString("tool%1").arg(label.command));
        button->setEnabled(operation->isEnabled());
        connect(button, &QAction::triggered, operation, &QAction::trigger);
        toolActions_[label.command] = button;
    }
}

QWidget* CTessaryDlg::buildStudioPane()
{
    auto* pane = new QWidget(this);
    studioCaption_ = new QLabel(pane);
    studio_ = new StudioListWidget(pane);
    addToStudio_ = new QPushButton(pane);
    removeFromStudio_ = new QPushButton(pane);
    clearStudio_ = new QPushButton(pane);
    addToStudio_->setObjectName("addToStudio");
    removeFromStudio_->setObjectName("removeFromStudio");
    clearStudio_->setObjectName("clearStudio");
    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    for (QPushButton* button : {addToStudio_, removeFromStudio_, clearStudio_})
        buttons->addWidget(button);
    buttons->addStretch();
    auto* grid = new QGridLayout(pane);
    grid->addWidget(studioCaption_, 0, 1);
    grid->addLayout(buttons, 1, 0);
    grid->addWidget(studio_, 1, 1);
    new QShortcut(QKeySequence::Delete, studio_, [this] { removeFromStudio(); }, Qt::WidgetShortcut);
    connect(addToStudio_, &QPushButton::clicked, this, &CTessaryDlg::addPaneItemsToStudio);
    connect(removeFromStudio_, &QPushButton::clicked, this, &CTessaryDlg::removeFromStudio);
    connect(clearStudio_, &QPushButton::clicked, this, &CTessaryDlg::clearStudio);
    connect(studio_, &StudioListWidget::pathsDropped, this, [this](const QStringList& paths) {
        std::vector<std::string> dropped;
        for (const QString& path : paths)
            dropped.push_back(path.toStdString());
        workbench_->studio().addDropped(dropped, session_.messenger());
        showStudio();
    });
    return pane;
}

QWidget* CTessaryDlg::buildDestinationPane()
{
    auto* pane = new QWidget(this);
    candidateCaption_ = new QLabel(pane);
    candidateTitle_ = new QLabel(pane);
    addressCaption_ = new QLabel(pane);
    candidateList_ = new QTreeWidget(pane);
    addressList_ = new QTreeWidget(pane);
    makeFlatList(candidateList_, "candidateList");
    makeFlatList(addressList_, "addressList");
    addToAddresses_ = new QPushButton(pane);
    removeAddresses_ = new QPushButton(pane);
    addToAddresses_->setObjectName("addToAddressList");
    removeAddresses_->setObjectName("removeFromAddressList");
    attachToMail_ = new QCheckBox(pane);
    settingForEncryption_ = new QCheckBox(pane);
    attachToMail_->setObjectName("attachToMail");
    settingForEncryption_->setObjectName("settingForEncryption");
    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(addToAddresses_);
    buttons->addWidget(removeAddresses_);
    buttons->addStretch();
    auto* grid = new QGridLayout(pane);
    grid->addWidget(candidateCaption_, 0, 0);
    grid->addWidget(candidateTitle_, 1, 0);
    grid->addWidget(candidateList_, 2, 0);
    grid->addLayout(buttons, 2, 1);
    grid->addWidget(addressCaption_, 0, 2);
    grid->addWidget(addressList_, 2, 2);
    auto* options = new QHBoxLayout;
    options->addStretch();
    options->addWidget(attachToMail_);
    options->addWidget(settingForEncryption_);
    grid->addLayout(options, 3, 0, 1, 3);
    new QShortcut(QKeySequence::Delete, addressList_, [this] { removeAddresses(); }, Qt::WidgetShortcut);
    connect(addToAddresses_, &QPushButton::clicked, this, &CTessaryDlg::addCandidates);
    connect(removeAddresses_, &QPushButton::clicked, this, &CTessaryDlg::removeAddresses);
    connect(candidateList_, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { candidateActivated(candidateList_->indexOfTopLevelItem(item)); });
    connect(addressList_, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* item) {
        addresses_.removeAt({static_cast<size_t>(addressList_->indexOfTopLevelItem(item))});
        showAddresses();
    });
    return pane;
}

QWidget* CTessaryDlg::buildBottom()
{
    auto* bar = new QWidget(this);
    bar->setObjectName("bottomBar");
    progressBar_ = new QProgressBar(bar);
    progressBar_->setObjectName("progressBar");
    progressText_ = new QLabel(bar);
    progressText_->setObjectName("progressText");
    showIdleProgress();
    stop_ = new QPushButton(bar);
    stop_->setObjectName("stopBatch");
    stop_->setEnabled(false);
    keyNameLabel_ = new QLabel(bar);
    keyName_ = new QLineEdit(bar);
    keyName_->setObjectName("keyName");
    keyName_->setReadOnly(true);
    keyNameLabel_->setBuddy(keyName_);
    chooseKeyPair_ = new QPushButton(bar);
    chooseKeyPair_->setObjectName("chooseKeyPair");
    auto* grid = new QGridLayout(bar);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(progressText_, 0, 0);
    grid->addWidget(progressBar_, 0, 1);
    grid->addWidget(stop_, 0, 2);
    grid->addWidget(keyNameLabel_, 1, 0);
    grid->addWidget(keyName_, 1, 1);
    grid->addWidget(chooseKeyPair_, 1, 2);
    grid->setColumnStretch(1, 1);
    connect(stop_, &QPushButton::clicked, runner_, &BatchRunner::stop);
    connect(chooseKeyPair_, &QPushButton::clicked, action(CmdChooseKeyPair), &QAction::trigger);
    statusBar()->setObjectName("statusLine");
    return bar;
}

void CTessaryDlg::connectProgress()
{
    connect(progress_, &BatchProgressBridge::rangeSet, this, [this](int count) {
        progressBar_->setRange(0, std::max(count, 1));
        progressBar_->setValue(0);
        progressBar_->setFormat("%v / %m");
    });
    connect(progress_, &BatchProgressBridge::stepped, this,
            [this] { progressBar_->setValue(std::min(progressBar_->value() + 1, progressBar_->maximum())); });
    connect(progress_, &BatchProgressBridge::resetDone, this, [this] { progressBar_->setValue(0); });
    connect(progress_, &BatchProgressBridge::waitOpened, this, [this](const QString& text) {
        progressBar_->setFormat(text + "  %v / %m");
    });
    connect(progress_, &BatchProgressBridge::progressTextChanged, this, [this](const QString& text) {
        progressBar_->setFormat(text + "  %v / %m");
    });
    connect(progress_, &BatchProgressBridge::refreshWanted, filePane_, &FilePaneView::refresh);
}

void CTessaryDlg::relabel()
{
    const auto t = [&](int slot) { return q(session_.messenger().text(slot)); };
    setWindowTitle(t(Msg::AppCaption));
    mainMenu_->setTitle(t(kTopMenuSlots[0]));
    helpMenu_->setTitle(t(kTopMenuSlots[1]));
    for (const auto& label : kMenuCommandLabels)
        if (QAction* item = action(label.command))
            setMenuText(item, session_.messenger().text(label.slot));
    for (const auto& [command, slot] : kExtraCommandSlots)
        setMenuText(action(command), session_.messenger().text(slot));
    action(CmdHelpIndex)->setShortcut(QKeySequence::HelpContents);
    // The menu's own Ctrl+X (a text field with focus keeps it for Cut) and the desktop's Quit.
    QAction* exit = action(CmdExit);
    exit->setShortcuts({exit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q)});
    action(session_.language().isEnglish() ? CmdEnglish : CmdJapanese)->setChecked(true);
    for (const auto& label : kToolbarLabels)
        toolActions_[label.command]->setText(t(label.slot));
    studioCaption_->setText(t(Msg::StudioListCaption));
    candidateCaption_->setText(t(Msg::CandidateListCaption));
    addressCaption_->setText(t(Msg::SelectedCandidatesCaption));
    studio_->setAccessibleName(studioCaption_->text());
    candidateList_->setAccessibleName(candidateCaption_->text());
    addressList_->setAccessibleName(addressCaption_->text());
    addToStudio_->setText(t(Msg::ButtonAddToStudio));
    removeFromStudio_->setText(t(Msg::ButtonRemoveFromStudio));
    clearStudio_->setText(t(Msg::ButtonRemoveAll));
    addToAddresses_->setText(t(Msg::ButtonAddToAddressList));
    removeAddresses_->setText(t(Msg::ButtonRemoveAll));
    attachToMail_->setText(t(Msg::AttachToMail));
    settingForEncryption_->setText(t(Msg::SettingForEncryption));
    stop_->setText(t(Msg::Stop));
    keyNameLabel_->setText(t(Msg::OwnKeyLabel));
    chooseKeyPair_->setText(t(Msg::MenuSelectKey));
    for (QTreeWidget* list : {candidateList_, addressList_}) {
        list->setHeaderLabels({t(Msg::ColumnName), t(Msg::ColumnEMail)});
        fitColumns(list);
    }
    filePane_->relabel(session_.messenger().table());
    showKeyName();
    if (!batchRunning()) {
        workbench_->studio().dropMissing();
        showStudio();
        showCandidates();
    }
}

bool CTessaryDlg::batchRunning() const { return runner_->busy(); }

void CTessaryDlg::addToStudio(const std::vector<std::string>& paths)
{
    workbench_->studio().addDropped(paths, session_.messenger());
    showStudio();
}

bool CTessaryDlg::runBatch(std::function<void(BatchContext&)> job, std::function<void()> done)
{
    if (runner_->busy())
        return false;
    BatchContext& context = workbench_->context();
    context.settings = WorkbenchSettings::from(session_.settings());
    return runner_->start([this, &context, job = std::move(job)] { runWithByteProgress(context, job); },
                          [this, done = std::move(done)] {
                              if (done)
                                  done();
                              afterBatch();
                          });
}

// The files and bytes of the batch, four times a second beside the bar.
void CTessaryDlg::runWithByteProgress(BatchContext& context, const std::function<void(BatchContext&)>& job)
{
    ProgressLine::Display display{
        [this](const std::string& line) { postTo(this, [this, text = q(line)] { progressText_->setText(text); }); },
        {}};
    ProgressLine progress(display, session_.messenger().text(Msg::ProgressFilesAndBytes), 0, 0);
    progress_->setRangeHook([&](int) {
        uint64_t bytes = 0;
        for (const auto& file : context.work.files())
            bytes += ProgressFileCrypto::sizeOf(file);
        progress.setTotals(context.work.size(), bytes);
    });
    IFileCrypto* engine = context.crypto;
    ProgressFileCrypto counted(*engine, progress);
    context.crypto = &counted;
    job(context);
    context.crypto = engine;
    progress_->setRangeHook({});
}

void CTessaryDlg::openInPlace(const std::string& containerPath)
{
    if (session_.requireKeySet())
        opener_->open(q(containerPath));
}

void CTessaryDlg::afterBatch()
{
    workbench_->context().settings.storeNoticeStates(session_.settings());
    showIdleProgress();
    filePane_->refresh();
    showStudio();
    showCandidates();
    emit batchFinished();
}

void CTessaryDlg::showIdleProgress()
{
    progressBar_->setRange(0, 1);
    progressBar_->setValue(0);
    progressBar_->setFormat(QString());
    progressText_->clear();
}

void CTessaryDlg::setBusy(bool busy)
{
    panes_->setEnabled(!busy);
    stop_->setEnabled(busy);
    // Commands wait for the batch; Exit, Help and About stay.
    for (auto& [command, item] : actions_) {
        if (command == CmdExit || command == CmdAbout || command == CmdHelpIndex)
            continue;
        if (busy) {
            item->setProperty("idleEnabled", item->isEnabled());
            item->setEnabled(false);
        } else {
            item->setEnabled(item->property("idleEnabled").toBool());
        }
    }
    for (auto& [command, button] : toolActions_)
        button->setEnabled(action(operationOf(command))->isEnabled());
}

void CTessaryDlg::showStudio() { studio_->showPaths(workbench_->studio().entries()); }

void CTessaryDlg::showCandidates()
{
    if (!session_.keys().hasOwnKeySet())
        return;
    candidates_->reshow();
    candidateTitle_->setText(q(candidates_->title()));
    QList<QTreeWidgetItem*> rows;
    for (const auto& item : candidates_->items())
        rows << candidateRow(item, {q(item.label), q(item.mail)});
    fillFlatList(candidateList_, rows);
    fitColumns(candidateList_);
}

void CTessaryDlg::showAddresses()
{
    QList<QTreeWidgetItem*> rows;
    for (const auto& address : addresses_.rows())
        rows << addressRow(address, {q(address.name), q(address.mail)});
    fillFlatList(addressList_, rows);
    fitColumns(addressList_);
}

void CTessaryDlg::showKeyName()
{
    const CKeyManager& keys = session_.keys();
    const std::string shown = keys.hasOwnKeySet() ? QFileInfo(q(keys.ownPublicKeyPath())).fileName().toStdString()
                                                  : session_.messenger().text(Msg::NoKeyFiles);
    keyName_->setText(q(shown));
}

void CTessaryDlg::encrypt()
{
    if (addresses_.empty()) {
        session_.messenger().show(Msg::NotSetUpPartner, MsgIcon::Stop);
        return;
    }
    offerStrayKeys();
    const auto destinations = addresses_.destinations();
    const bool options = settingForEncryption_->isChecked();
    const bool mail = attachToMail_->isChecked();
    addresses_.clear();
    showAddresses();
    runBatch([=](BatchContext& context) { WorkbenchCommands(context).encryptButton(destinations, options, mail); });
}

void CTessaryDlg::decrypt()
{
    offerStrayKeys();
    runBatch([](BatchContext& context) { WorkbenchCommands(context).decryptButton(); });
}

void CTessaryDlg::encryptSelected()
{
    offerStrayKeys();
    const auto paths = filePane_->selectedPaths();
    runBatch([paths](BatchContext& context) { WorkbenchCommands(context).encryptForOneself(paths); });
}

void CTessaryDlg::decryptSelected()
{
    offerStrayKeys();
    const std::string folder = filePane_->pane().folder();
    const auto names = filePane_->selectedNames();
    runBatch([=](BatchContext& context) { WorkbenchCommands(context).decryptSelected(folder, names); });
}

void CTessaryDlg::deleteSelected()
{
    const std::string folder = filePane_->pane().folder();
    const auto names = filePane_->selectedNames();
    runBatch([=](BatchContext& context) { DeleteFlows(context).deleteSelectedItems(folder, names); });
}

void CTessaryDlg::deleteStudioFiles()
{
    runBatch([](BatchContext& context) { DeleteFlows(context).deleteStudioFiles(); });
}

void CTessaryDlg::createKey()
{
    if (runKeySetWizard(this, session_))
        useNewKeySet();
}

void CTessaryDlg::chooseKeyPair()
{
    if (!KeyPairChoice(session_).chooseByHand())
        return;
    useNewKeySet();
    offerStrayKeys();
}

void CTessaryDlg::showOptions()
{
    const SystemFolderFacts facts;
    QWidget* parent = mini_ && mini_->isVisible() ? static_cast<QWidget*>(mini_.get()) : this;
    COptions dialog(OptionsApply::current(session_),
                    {session_.messenger(), facts, session_.settings().keyPairRoot, session_.folder(),
                     OptionsApply::ownPublicKeyExists(session_)},
                    parent);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const OptionsChange change = OptionsApply::apply(session_, dialog.values());
    // The batches read the owner's name and the settings when they are built.
    attachKeySet();
    showCandidates();
    emit optionsApplied(change);
}

void CTessaryDlg::sendPublicKey()
{
    if (!session_.requireKeySet())
        return;
    const auto draft = net::CMailUses::OwnPublicKey(session_.table(), session_.keys().ownPublicKeyPath());
    mail_->send({draft.to, draft.attachments, draft.subject, draft.body});
}

void CTessaryDlg::showQrCode()
{
    CQrcodeViewDlg barcode(session_, [this] { registerOwnKey(); }, this);
    if (barcode.ready())
        barcode.exec();
}

bool CTessaryDlg::runServiceRequest(ServiceAction::Request request, int doneSlot)
{
    if (!session_.requireKeySet())
        return false;
    CVelquinLoginDiag login(session_, std::move(request), QApplication::activeWindow());
    if (login.exec() != QDialog::Accepted)
        return false;
    session_.messenger().show(doneSlot, MsgIcon::Information);
    return true;
}

void CTessaryDlg::loginToService()
{
    ServiceAction::Request login;
    login.action = "login";
    runServiceRequest(login, Msg::ServiceLoggedIn);
}

void CTessaryDlg::registerOwnKey()
{
    ServiceAction::Request registration;
    registration.action = "register";
    registration.keyFile = session_.keys().ownPublicKeyPath();
    runServiceRequest(registration, Msg::ServiceKeyRegistered);
}

void CTessaryDlg::uploadToMyFolder() { sendThroughService(ServiceSendForm::Mode::Upload); }

void CTessaryDlg::easySend() { sendThroughService(ServiceSendForm::Mode::EasySend); }

void CTessaryDlg::transferEncrypted() { sendThroughService(ServiceSendForm::Mode::Transfer); }

// The studio list's files go; sent files leave the list.
void CTessaryDlg::sendThroughService(ServiceSendForm::Mode mode)
{
    if (!session_.requireKeySet())
        return;
    const auto files = studioFiles();
    if (files.empty()) {
        session_.messenger().show(Msg::NoFileSelected, MsgIcon::Exclamation);
        return;
    }
    CVelquinSendDlg dialog(session_, mode, files, this);
    if (dialog.exec() != QDialog::Accepted || !dialog.sent())
        return;
    workbench_->studio().clear();
    showStudio();
}

void CTessaryDlg::decryptReceived()
{
    runBatch([](BatchContext& context) { WorkbenchCommands(context).decryptReceived(); });
}

std::vector<std::string> CTessaryDlg::studioFiles()
{
    WorkList& work = workbench_->work();
    work.rebuildFrom(workbench_->studio());
    std::vector<std::string> files = work.files();
    work.clear();
    return files;
}

void CTessaryDlg::showStudioFileLogs() { showFileLogs(studioFiles()); }

void CTessaryDlg::forwardStudioFiles() { forwardFiles(studioFiles()); }

void CTessaryDlg::showFileLogs(const std::vector<std::string>& files)
{
    if (!session_.requireKeySet())
        return;
    const CMessageTable& table = session_.table();
    HistoryViewer viewer(session_.messenger(), session_.keys().ownPublicKeyPath(), session_.keys().ownPrivateKeyPath(),
                         [this, &table](const std::vector<ContainerRow>& rows) {
                             CHistoryFileSelector selector(table, rows, this);
                             return chooseContainer(selector);
                         });
    if (const auto view = viewer.run(files))
        CKlxHistoryViewDlg(table, *view, this).exec();
}

void CTessaryDlg::forwardFiles(const std::vector<std::string>& files)
{
    if (!session_.requireKeySet())
        return;
    const CMessageTable& table = session_.table();
    ForwardFile forward(
        session_.messenger(), session_.keys().ownPublicKeyPath(), session_.keys().ownPrivateKeyPath(),
        [this, &table](const std::vector<ContainerRow>& rows) {
            CTransportKlxSelDlg selector(table, rows, this);
            return chooseContainer(selector);
        },
        [this, &table](const std::vector<CArchiveHistoryMan::NameEntry>& addresses) {
            return CKlxSetAdrsViewDlg(table, addresses, this).choose();
        },
        *mail_);
    if (!forward.run(files))
        return;
    workbench_->studio().clear();
    showStudio();
}

ContainerChoice CTessaryDlg::chooseContainer(ContainerSelector& selector)
{
    selector.whenNothingChosen([this] { session_.messenger().show(Msg::NoKlxSelected, MsgIcon::Exclamation); });
    return selector.choose();
}

void CTessaryDlg::help()
{
    const QString page = helpPage();
    if (!page.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(page));
        return;
    }
    if (session_.messenger().askYesNo(Msg::HelpFileNotFound, MsgIcon::Question))
        QDesktopServices::openUrl(QUrl(kWebHelpAddress));
}

void CTessaryDlg::about()
{
    std::string text =
        session_.messenger().format(Msg::AboutText, QCoreApplication::applicationVersion().toStdString());
    if (aboutDetails_)
        text += "\n\n" + aboutDetails_(session_.table());
    session_.messenger().showText(text, MsgIcon::Information, Msg::MenuAbout);
}

void CTessaryDlg::japanese() { session_.switchLanguage(CLanguage::kCommandJapanese); }

void CTessaryDlg::english() { session_.switchLanguage(CLanguage::kCommandEnglish); }

void CTessaryDlg::addPaneItemsToStudio()
{
    workbench_->studio().addPaneItems(filePane_->pane().folder(), filePane_->selectedNames(), session_.messenger());
    showStudio();
}

void CTessaryDlg::removeFromStudio()
{
    for (const auto& path : studio_->selectedPaths())
        workbench_->studio().remove(path);
    showStudio();
}

void CTessaryDlg::clearStudio()
{
    workbench_->studio().clear();
    showStudio();
}

void CTessaryDlg::addCandidates()
{
    for (const auto& row : candidates_->rowsFor(selectedRows(candidateList_)))
        addresses_.add(row);
    showAddresses();
}

void CTessaryDlg::removeAddresses()
{
    addresses_.removeAt(selectedRows(addressList_));
    showAddresses();
}

void CTessaryDlg::candidateActivated(int row)
{
    if (row < 0)
        return;
    if (const auto address = candidates_->activate(static_cast<size_t>(row))) {
        addresses_.add(*address);
        showAddresses();
    } else {
        showCandidates();
    }
}

void CTessaryDlg::refreshPanes()
{
    workbench_->studio().dropMissing();
    showStudio();
    showCandidates();
}

void CTessaryDlg::showKeyChainList()
{
    if (batchRunning() || !session_.requireKeySet())
        return;
    if (!keyChainWindow_) {
        CKeyChainList::Hooks hooks;
        hooks.encrypt = [this](const EncryptChoices& choices, const std::vector<std::string>& files) {
            if (batchRunning())
                return false;
            chooser_->setDestinationListSelection(choices);
            return runBatch([files](BatchContext& context) { WorkbenchCommands(context).encryptFromDestinationList(files); });
        };
        hooks.authenticate = [this](const std::vector<std::string>& keyFiles) { authenticate(keyFiles); };
        keyChainWindow_ = new CKeyChainList(session_, *keyChainList_, *strays_, *mail_, std::move(hooks), this);
        connect(keyChainWindow_, &QDialog::finished, this, [this] { showCandidates(); });
        // The list waits while a batch uses the key folder.
        connect(runner_, &BatchRunner::busyChanged, keyChainWindow_, &QWidget::setDisabled);
        connect(this, &CTessaryDlg::batchFinished, keyChainWindow_, &CKeyChainList::refresh);
    }
    keyChainWindow_->showOnKeyFolder();
}

std::string CTessaryDlg::authenticate(const std::vector<std::string>& keyFiles)
{
    return authentication_->run(keyFiles);
}

void CTessaryDlg::authenticateCommand() { authenticate(); }

void CTessaryDlg::reportOutdatedKeys() { COutdatedAuthKeyReportDlg::showIfAny(session_.messenger(), session_.keys(), this); }

void CTessaryDlg::offerStrayKeys()
{
    if (!batchRunning() && session_.keys().hasOwnKeySet() && strays_->offer() > 0)
        showCandidates();
}

IKeyDropHandler* CTessaryDlg::keyDropHandler() const { return keyDrops_.get(); }

void CTessaryDlg::showMiniWindow()
{
    if (batchRunning())
        return;
    session_.settings().useSmallMenu = 1;
    rememberLayout();
    hide();
    session_.saveSettings();
    if (!mini_) {
        mini_ = std::make_unique<CTessaryDialogMini>(session_, *this);
        connect(mini_.get(), &QDialog::finished, this, &CTessaryDlg::miniWindowClosed);
    }
    mini_->showPlaced();
}

void CTessaryDlg::miniWindowClosed()
{
    if (session_.settings().useSmallMenu == 1) {
        close();
        return;
    }
    show();
    session_.saveSettings();
}

void CTessaryDlg::restoreLayout()
{
    const Settings& settings = session_.settings();
    const auto bytes = [](const std::string& text) { return QByteArray::fromBase64(QByteArray::fromStdString(text)); };
    // restoreGeometry moves a window left on a screen no longer there back onto one.
    if (!settings.mainWindowGeometry.empty())
        restoreGeometry(bytes(settings.mainWindowGeometry));
    if (!settings.mainWindowSplitters.empty())
        panes_->restoreState(bytes(settings.mainWindowSplitters));
    if (!settings.mainWindowRightSplitter.empty())
        rightPanes_->restoreState(bytes(settings.mainWindowRightSplitter));
}

void CTessaryDlg::rememberLayout()
{
    if (!isVisible())
        return;
    Settings& settings = session_.settings();
    settings.mainWindowGeometry = saveGeometry().toBase64().toStdString();
    settings.mainWindowSplitters = panes_->saveState().toBase64().toStdString();
    settings.mainWindowRightSplitter = rightPanes_->saveState().toBase64().toStdString();
}

void CTessaryDlg::stopBatch()
{
    runner_->stop();
    runner_->waitForIdle();
}

void CTessaryDlg::closeEvent(QCloseEvent* event)
{
    stopBatch();
    rememberLayout();
    session_.saveSettings();
    event->accept();
    emit closed();
}

} // namespace mvx::ui

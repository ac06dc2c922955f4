#pragma once

#include "app/CLanguage.h"
#include "keys/DestinationListEditor.h"
#include "keys/StrayKeys.h"
#include "workbench/AddressList.h"
#include "workbench/CandidateList.h"
#include "workbench/ContainerChoice.h"
#include "workbench/OptionsApply.h"
#include "workbench/ServiceAction.h"
#include "workbench/ServiceSendForm.h"
#include "workbench/WorkbenchSession.h"

#include <QMainWindow>

#include <functional>
#include <map>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QToolBar;
class QTreeWidget;

namespace mvx {
class AppSession;
class CMessageTable;
class InPlaceOpenings;
class IKeyDropHandler;
class MailUsesHandOver;
}

namespace mvx::ui {

class BatchProgressBridge;
class BatchRunner;
class CKeyChainList;
class ContainerSelector;
class KeyDropRegistration;
class WindowAuthentication;
class CTessaryDialogMini;
class FilePaneView;
class InPlaceOpener;
class StudioListWidget;
class WindowEncryptChooser;

// The main window: file pane, studio list, candidate and address lists, the
// menu bar, toolbar and file-pane context menu. Every command hands its work
// to the workbench logic; batches run on a worker thread.
class CTessaryDlg : public QMainWindow, public ILanguageObserver {
    Q_OBJECT
public:
    // Command numbers of the menu items, toolbar buttons and context menu.
    enum Command {
        CmdEncryption = 151,
        CmdDecryption = 152,
        CmdSettings = 158,
        CmdKeyChainList = 174,
        CmdAuthentication = 177,
        CmdCreateKey = 116,
        CmdSendPublicKey = 306,
        CmdForwardFile = 282,
        CmdShowFileLogs = 283,
        CmdDeleteFiles = 32851,
        CmdShowQrCode = 32881,
        CmdMiniaturization = 32846,
        CmdUseMiniMenu = 16,
        CmdJapanese = 284,
        CmdEnglish = 286,
        CmdHelpIndex = 57666,
        CmdAbout = 225,
        CmdExit = 57665,
        CmdKeyBackup = 338,
        CmdRequestKeyRepair = 32854,
        CmdEncryptSelected = 204,
        CmdDecryptSelected = 205,
        CmdDeleteSelected = 218,
        CmdChooseKeyPair = 219,
        // This program's own commands of the web service.
        CmdUploadToMyFolder = 40001,
        CmdEasySend = 40002,
        CmdTransferEncrypted = 40003,
        CmdDecryptReceived = 40004,
    };

    explicit CTessaryDlg(AppSession& session, QWidget* parent = nullptr);
    ~CTessaryDlg() override;

    void relabel() override;
    // The menu (or context-menu) action of a command.
    QAction* action(int command) const;
    bool batchRunning() const;
    // Stops a running batch and waits until it has ended.
    void stopBatch();
    CTessaryDialogMini* miniWindow() const { return mini_.get(); }
    // Lines the about box shows below the version, in the language in use
    // (the desktop sources the program follows); none when not set.
    void setAboutDetails(std::function<std::string(const CMessageTable&)> details)
    {
        aboutDetails_ = std::move(details);
    }
    // Switch to the mini window (Miniaturization, "Use Mini size Menu").
    void showMiniWindow();
    // Paths handed over on the command line, into the studio list.
    void addToStudio(const std::vector<std::string>& paths);
    // Runs a job on the batch worker with the window's settings; false when
    // another batch is running.
    bool runBatch(std::function<void(BatchContext&)> job, std::function<void()> done = {});
    // Opens a container with its program (a container given at start, or
    // double-clicked in the file pane); the window stays usable meanwhile.
    void openInPlace(const std::string& containerPath);
    // "Show File Logs" and "Forward File" on the files given (the studio
    // list's files from the commands, or a container given at start).
    void showFileLogs(const std::vector<std::string>& files);
    void forwardFiles(const std::vector<std::string>& files);
    // The login dialog (the mini window's login button) and the registration
    // of the own public key (the barcode window's Register).
    void loginToService();
    void registerOwnKey();

    // After the session has taken another key set (a new one, one chosen by
    // hand, a moved one found): the window encrypts and lists with it.
    void useNewKeySet();
    // "KeyChain List": the destination-list window (also the toolbar's and the mini window's button).
    void showKeyChainList();
    CKeyChainList* keyChainWindow() const { return keyChainWindow_; }
    // "Authentication of Public Key"; with key files handed in, no key selection.
    std::string authenticate(const std::vector<std::string>& keyFiles = {});
    // The outdated-key report, when the key folder holds keys whose expiry has passed.
    void reportOutdatedKeys();
    // Key files in the key folder tree that no member file lists, offered for
    // registration (at start and before the batches that read the key folder).
    void offerStrayKeys();
    IKeyDropHandler* keyDropHandler() const;

signals:
    void batchFinished();
    // An open in place has ended with OpenInPlace's result.
    void openedInPlace(const QString& containerPath, int result);
    // Options confirmed: what the idle timer and the file-manager entries follow.
    void optionsApplied(const mvx::OptionsChange& change);
    // The window has closed: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* addCommand(int command, const char* name, void (CTessaryDlg::*handler)());
    void buildMenus();
    void buildToolbar();
    QWidget* buildStudioPane();
    QWidget* buildDestinationPane();
    QWidget* buildBottom();
    void connectProgress();
    void attachKeySet();
    void setBusy(bool busy);
    void showIdleProgress();

    void showStudio();
    void showCandidates();
    void showAddresses();
    void showKeyName();
    void afterBatch();
    void runWithByteProgress(BatchContext& context, const std::function<void(BatchContext&)>& job);

    void encrypt();
    void decrypt();
    void encryptSelected();
    void decryptSelected();
    void deleteSelected();
    void deleteStudioFiles();
    void createKey();
    void chooseKeyPair();
    void showOptions();
    void sendPublicKey();
    void showQrCode();
    void uploadToMyFolder();
    void easySend();
    void transferEncrypted();
    void sendThroughService(ServiceSendForm::Mode mode);
    void decryptReceived();
    void showStudioFileLogs();
    void forwardStudioFiles();
    // The selector stays open, with a message, until a container is chosen or it is cancelled.
    ContainerChoice chooseContainer(ContainerSelector& selector);
    std::vector<std::string> studioFiles();
    // Asks the password and runs the request; true (and its message shown) when it succeeded.
    bool runServiceRequest(ServiceAction::Request request, int doneSlot);
    void authenticateCommand();
    void help();
    void about();
    void japanese();
    void english();
    void addPaneItemsToStudio();
    void removeFromStudio();
    void clearStudio();
    void addCandidates();
    void removeAddresses();
    void candidateActivated(int row);
    void refreshPanes();
    void miniWindowClosed();
    // The size, place and splitters the window was left with, kept in the settings.
    void restoreLayout();
    void rememberLayout();

    AppSession& session_;
    std::unique_ptr<WorkbenchSession> workbench_;
    std::unique_ptr<mvx::DestinationListEditor> keyChainList_;
    std::unique_ptr<CandidateList> candidates_;
    AddressList addresses_;
    std::unique_ptr<WindowEncryptChooser> chooser_;
    BatchRunner* runner_;
    BatchProgressBridge* progress_;
    std::unique_ptr<InPlaceOpenings> openings_;
    InPlaceOpener* opener_;
    std::unique_ptr<CTessaryDialogMini> mini_;
    std::unique_ptr<MailUsesHandOver> mail_;
    std::unique_ptr<StrayKeys> strays_;
    std::unique_ptr<WindowAuthentication> authentication_;
    std::unique_ptr<KeyDropRegistration> keyDrops_;
    CKeyChainList* keyChainWindow_ = nullptr;
    std::function<std::string(const CMessageTable&)> aboutDetails_;

    std::map<int, QAction*> actions_;
    std::map<int, QAction*> toolActions_;
    QMenu* mainMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    FilePaneView* filePane_ = nullptr;
    StudioListWidget* studio_ = nullptr;
    QLabel* studioCaption_ = nullptr;
    QLabel* candidateCaption_ = nullptr;
    QLabel* candidateTitle_ = nullptr;
    QLabel* addressCaption_ = nullptr;
    QTreeWidget* candidateList_ = nullptr;
    QTreeWidget* addressList_ = nullptr;
    QPushButton* addToStudio_ = nullptr;
    QPushButton* removeFromStudio_ = nullptr;
    QPushButton* clearStudio_ = nullptr;
    QPushButton* addToAddresses_ = nullptr;
    QPushButton* removeAddresses_ = nullptr;
    QCheckBox* attachToMail_ = nullptr;
    QCheckBox* settingForEncryption_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* progressText_ = nullptr;
    QPushButton* stop_ = nullptr;
    QLabel* keyNameLabel_ = nullptr;
    QLineEdit* keyName_ = nullptr;
    QPushButton* chooseKeyPair_ = nullptr;
    QSplitter* panes_ = nullptr;
    QSplitter* rightPanes_ = nullptr;
};

} // namespace mvx::ui

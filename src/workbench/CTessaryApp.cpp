#include "workbench/CTessaryApp.h"

#include "app/ContextMenuEntries.h"
#include "app/HandedOverPaths.h"
#include "app/IClipboardText.h"
#include "app/Msg.h"
#include "app/SingleInstance.h"
#include "engine/MakerKey.h"
#include "keys/KeyFileStore.h"
#include "platform/FileAttributes.h"
#include "workbench/AppSession.h"
#include "workbench/BatchFiles.h"
#include "workbench/IAppFrame.h"
#include "workbench/OptionsApply.h"
#include "workbench/OwnKeyMaterial.h"
#include "workbench/ProtectedFolder.h"
#include "workbench/WorkbenchSession.h"

#include <cstdlib>
#include <unistd.h>
#include <utility>

namespace mvx {

namespace {

// What the launcher gave this start to raise a window with under Wayland:
// handed to the running instance, whose window it is.
std::string activationToken()
{
    const char* token = std::getenv("XDG_ACTIVATION_TOKEN");
    return token ? token : "";
}

} // namespace

CTessaryApp::CTessaryApp(AppSession& session, IAppFrame& frame, std::string dataHome)
    : session_(session), frame_(frame),
      dataHome_(dataHome.empty() ? ContextMenuEntries::defaultDataHome() : std::move(dataHome))
{
}

CTessaryApp::~CTessaryApp()
{
    if (keyMaterial_)
        OwnKeyMaterial::wipe(*keyMaterial_);
}

bool CTessaryApp::start(const CommandLine& line, SingleInstance& instance, IClipboardText& clipboard)
{
    if (!claimInstance(line, instance))
        return false;
    using Switch = CommandLine::Switch;
    switch (line.kind) {
    case Switch::Uninstall:
        ContextMenuEntries(dataHome_).remove();
        ::unlink(session_.store().path().c_str());
        return false;
    case Switch::Install:
        // The settings stay: they name the user's key set.
        if (session_.settings().noUseContextMenu == 0)
            ContextMenuEntries(dataHome_).install();
        break;
    case Switch::Path: {
        std::vector<std::string> paths = HandedOverPaths::read(instance.sharedText()).paths;
        paths.insert(paths.end(), line.paths.begin(), line.paths.end());
        frame_.addToStudio(paths);
        break;
    }
    case Switch::Repair: ownsProtectedFolder_ = false; return frame_.serveShellRequest(line.kind, {});
    default:
        if (line.takesFiles()) {
            ownsProtectedFolder_ = false;
            const auto paths = handedOverPaths(line, clipboard);
            return paths && frame_.serveShellRequest(line.kind, *paths);
        }
    }
    startUp(line.argumentCount > 0);
    return true;
}

bool CTessaryApp::claimInstance(const CommandLine& line, SingleInstance& instance)
{
    switch (instance.claim()) {
    case SingleInstance::Claim::SharedMemoryFailed:
        session_.messenger().show(Msg::SharedMemoryCreateFailed, MsgIcon::Stop);
        return false;
    case SingleInstance::Claim::MapFailed:
        session_.messenger().show(Msg::SharedMemoryMapFailed, MsgIcon::Stop);
        return false;
    case SingleInstance::Claim::Other:
        ownsProtectedFolder_ = false;
        if (line.isShellRequest())
            return true;
        session_.messenger().show(Msg::AlreadyRunning, MsgIcon::Information);
        instance.askToShow(activationToken());
        return false;
    case SingleInstance::Claim::First: break;
    }
    instance.listen([this](const std::string& token) { frame_.bringToFront(token); });
    return true;
}

std::optional<std::vector<std::string>> CTessaryApp::handedOverPaths(const CommandLine& line,
                                                                     IClipboardText& clipboard)
{
    if (!line.paths.empty())
        return line.paths;
    IClipboardText::Failure failure = IClipboardText::Failure::None;
    const auto text = clipboard.text(failure);
    const HandedOverPaths handed = text ? HandedOverPaths::read(*text) : HandedOverPaths();
    if (text && handed.paths.empty() && handed.refused.empty())
        failure = IClipboardText::Failure::NoText;
    switch (failure) {
    case IClipboardText::Failure::None:
        if (!handed.refused.empty())
            session_.messenger().show(Msg::HandedOverEntriesLeftOut, MsgIcon::Exclamation,
                                      handed.refusedList().c_str());
        if (handed.paths.empty())
            return std::nullopt;
        clipboard.clear();
        return handed.paths;
    case IClipboardText::Failure::CannotOpen: session_.messenger().show(Msg::ClipboardApiError, MsgIcon::Stop); break;
    case IClipboardText::Failure::Unexpected:
        session_.messenger().show(Msg::UnexpectedCircumstancesError, MsgIcon::Stop);
        break;
    case IClipboardText::Failure::NoText: session_.messenger().show(Msg::ShellExtensionError, MsgIcon::Stop); break;
    }
    return std::nullopt;
}

void CTessaryApp::startUp(bool withArguments)
{
    refreshFileManagerEntries();
    checkKeySet();
    writeMakerKeyOnFirstStart();
    if (keyPairPresent())
        frame_.reportOutdatedKeys();
    readKeyMaterial();
    if (ownsProtectedFolder_ && protectedFolder())
        openProtectedFolder();
    armIdleTimer();
    if (session_.settings().useSmallMenu == 1 && !withArguments)
        frame_.showMiniWindow();
    else
        frame_.showMainWindow();
    // The window's status line tells what stayed plain while the program was closed.
    if (plainAtStart_ > 0)
        session_.messenger().status(Msg::ProtectedFolderPlainAtStart, *protectedFolder(),
                                    static_cast<long long>(plainAtStart_));
}

void CTessaryApp::openProtectedFolder()
{
    if (!keyMaterial_) {
        session_.messenger().show(Msg::ProtectedFolderKeptEncrypted, MsgIcon::Stop, protectedFolder()->c_str());
        return;
    }
    plainAtStart_ = ProtectedFolder::plainFileCount(*protectedFolder());
    decryptProtectedFolder();
}

void CTessaryApp::checkKeySet()
{
    const Settings& settings = session_.settings();
    if (!session_.settingsFound() || settings.keyPairRoot.empty())
        frame_.offerKeySetWizard();
    else if (!keyPairPresent() && settings.firstStart != 1)
        frame_.locateMovedKeySet();
}

void CTessaryApp::refreshFileManagerEntries()
{
    const ExtensionValue extension(session_.folder());
    if (extension.get() != 0)
        return;
    if (session_.settings().noUseContextMenu == 0)
        ContextMenuEntries(dataHome_).install();
    extension.set(1);
}

bool CTessaryApp::keyPairPresent() const
{
    const CKeyManager& keys = session_.keys();
    return keys.hasOwnKeySet() && FileAttributes::isRegularFile(keys.ownPublicKeyPath()) &&
           FileAttributes::isRegularFile(keys.ownPrivateKeyPath());
}

void CTessaryApp::writeMakerKeyOnFirstStart()
{
    if (session_.settings().firstStart != 1)
        return;
    const std::string path = session_.folder() + session_.messenger().text(Msg::MakerPublicKeyFileName);
    const auto& bytes = makerPublicKeyFile();
    if (!FileAttributes::isRegularFile(path))
        KeyFileStore::writeNew(path, bytes, KeyFileStore::kKeyFileMode);
    session_.settings().firstStart = 0;
    session_.saveSettings();
    session_.reload();
}

void CTessaryApp::readKeyMaterial()
{
    if (keyMaterial_)
        OwnKeyMaterial::wipe(*keyMaterial_);
    keyMaterial_.reset();
    if (keyPairPresent())
        keyMaterial_ = OwnKeyMaterial::read(KeySetPaths::from(session_.keys(), session_.settingsFound()));
}

std::optional<std::string> CTessaryApp::protectedFolder() const
{
    const Settings& settings = session_.settings();
    if (settings.encAndDec != 1 || settings.destPath2.empty())
        return std::nullopt;
    return settings.destPath2;
}

DecryptOutcome CTessaryApp::decryptProtectedFolder(bool inquire)
{
    const auto folder = protectedFolder();
    if (!folder)
        return {};
    WorkbenchSession workbench(session_.messenger(), session_.settings(), session_.keys(), session_.settingsFound());
    ProtectedFolder protectedFolder(workbench.context(), *folder);
    return inquire ? protectedFolder.decryptOnUsb(true) : protectedFolder.decryptAtStart();
}

ProtectedFolderClosing CTessaryApp::encryptProtectedFolder(bool autoClose)
{
    const auto folder = protectedFolder();
    if (!folder)
        return {};
    if (!keyMaterial_) {
        session_.messenger().show(Msg::ProtectedFolderLeftPlain, MsgIcon::Stop, folder->c_str());
        return {};
    }
    WorkbenchSession workbench(session_.messenger(), session_.settings(), session_.keys(), session_.settingsFound());
    workbench.useKeyMaterial(&*keyMaterial_);
    ProtectedFolder protectedFolder(workbench.context(), *folder);
    ProtectedFolderClosing closing = protectedFolder.encryptAtExit(autoClose);
    workbench.context().settings.storeNoticeStates(session_.settings());
    return closing;
}

void CTessaryApp::armIdleTimer()
{
    const Settings& settings = session_.settings();
    if (ownsProtectedFolder_ && settings.encAndDec == 1 && settings.useTimer == 1)
        idle_.arm(settings.timeForTimer);
    else
        idle_.disarm();
}

void CTessaryApp::follow(SessionLockState::Change change)
{
    switch (change) {
    case SessionLockState::Change::Locked: closeForLock(); break;
    case SessionLockState::Change::Unlocked: openAfterUnlock(); break;
    case SessionLockState::Change::None: break;
    }
}

void CTessaryApp::closeForLock()
{
    if (!ownsProtectedFolder_ || !protectedFolder() || closedByLock_)
        return;
    encryptProtectedFolder(true);
    closedByLock_ = true;
    session_.saveSettings();
}

void CTessaryApp::openAfterUnlock()
{
    if (!closedByLock_)
        return;
    const bool yes = session_.messenger().askYesNo(Msg::DecryptAgainAfterLock, MsgIcon::Question);
    // Locked again while the question was open: the folder stays closed and
    // the next unlock asks again.
    if (locks_.locked())
        return;
    closedByLock_ = false;
    if (yes)
        decryptProtectedFolder();
    idle_.activity();
}

std::string CTessaryApp::sleepDelayReason() const { return session_.messenger().text(Msg::SleepDelayReason); }

void CTessaryApp::lockWatchStarted(bool sessionFound)
{
    if (!sessionFound && ownsProtectedFolder_ && protectedFolder())
        session_.messenger().status(Msg::LocksNotFollowed);
}

void CTessaryApp::removableMediumMounted()
{
    // While locked the unlock's question decides, for the medium too.
    if (ownsProtectedFolder_ && keyMaterial_ && !locks_.locked())
        decryptProtectedFolder(session_.settings().inquireUsb == 1);
}

void CTessaryApp::applyOptions(const OptionsChange& change)
{
    if (ownsProtectedFolder_ && change.idleTimerArmed)
        idle_.arm(change.idleMinutes);
    else
        idle_.disarm();
    const ContextMenuEntries entries(dataHome_);
    if (change.removeFileManagerEntries)
        entries.remove();
    else if (!entries.installed())
        entries.install();
}

bool CTessaryApp::shutDown(bool autoClose, bool mayStayOpen)
{
    if (std::exchange(shutDown_, true))
        return true;
    // Once the program stayed open, the user is back: a later close is the user's.
    autoClose = autoClose && !keptOpen_;
    if (ownsProtectedFolder_) {
        const ProtectedFolderClosing closing = encryptProtectedFolder(autoClose);
        if (mayStayOpen && !closing.closed() && staysOpen(closing, autoClose)) {
            shutDown_ = false;
            keptOpen_ = true;
            session_.saveSettings();
            frame_.showMainWindow();
            return false;
        }
    }
    session_.saveSettings();
    return true;
}

bool CTessaryApp::staysOpen(const ProtectedFolderClosing& closing, bool autoClose)
{
    // Nobody may be there to answer an automatic close: the files stay in
    // the program's care, and its report waits on the screen.
    if (autoClose)
        return true;
    return session_.messenger().askYesNo(Msg::KeepOpenToCloseFolder, MsgIcon::Question, *protectedFolder(),
                                         static_cast<long long>(closing.stayedPlain.size()));
}

} // namespace mvx

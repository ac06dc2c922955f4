#pragma once

#include "app/CommandLine.h"
#include "app/IdleTimer.h"
#include "app/SessionLockState.h"
#include "engine/EncryptionSettings.h"
#include "workbench/DecryptBatch.h"
#include "workbench/EncryptBatch.h"
#include "workbench/ProtectedFolder.h"

#include <optional>
#include <string>
#include <vector>

namespace mvx {

class AppSession;
struct OptionsChange;
class IAppFrame;
class IClipboardText;
class SingleInstance;

// The program's start and end around its windows: the first start, the key
// set, the own key material read for the protected folder, the protected
// folder decrypted at start and encrypted at exit, which window comes first,
// and the settings saved at the end.
class CTessaryApp {
public:
    // dataHome: the user's data folder for the file-manager entries
    // (empty: $XDG_DATA_HOME or ~/.local/share).
    CTessaryApp(AppSession& session, IAppFrame& frame, std::string dataHome = {});
    ~CTessaryApp();
    CTessaryApp(const CTessaryApp&) = delete;
    CTessaryApp& operator=(const CTessaryApp&) = delete;

    // The whole start: the single-instance rule, the command line, then
    // startUp. False when the program ends now; true when a window runs (the
    // program ends when it closes).
    bool start(const CommandLine& line, SingleInstance& instance, IClipboardText& clipboard);

    // withArguments: the program was started with command-line arguments
    // (then the mini window is not shown first).
    void startUp(bool withArguments);
    // autoClose: the idle timer closed the program. Runs once; later calls do
    // nothing. True when the program may end now. When the protected folder
    // could not be closed (a write or a deletion failed) and mayStayOpen is
    // set, the program stays open, after the user's Yes or without asking at
    // an automatic close: false, with the main window shown again, and a
    // later call tries again.
    bool shutDown(bool autoClose, bool mayStayOpen = true);

    // The protected folder, when automatic encryption and decryption is on.
    std::optional<std::string> protectedFolder() const;
    bool holdsKeyMaterial() const { return keyMaterial_.has_value(); }
    // Decrypts the protected folder (start, USB memory attached); asks first when inquire is set.
    DecryptOutcome decryptProtectedFolder(bool inquire = false);
    ProtectedFolderClosing encryptProtectedFolder(bool autoClose);

    // Idle re-encryption: armed while "EncAndDec" and "UseTimer" are on.
    IdleTimer& idleTimer() { return idle_; }
    void armIdleTimer();
    void userActivity() { idle_.activity(); }
    void desktopIdle(int64_t seconds) { idle_.desktopIdle(seconds); }
    // The timer's tick; true once when the idle action is due: the front end
    // closes its windows and calls shutDown(true).
    bool idleTick(bool canAct = true) { return idle_.tick(canAct); }

    // What the desktop reports of the session (the front end hears it). The
    // first lock, or the machine going to sleep, encrypts the protected folder
    // (open files left out, as at an idle close). Once every source that
    // reported a lock has reported the unlock, and the machine is awake, the
    // folder is decrypted again when the user says so; waking alone does not
    // open a session that is still locked.
    void lockReported(LockSource source) { follow(locks_.lock(source)); }
    void unlockReported(LockSource source) { follow(locks_.unlock(source)); }
    void sleepStarts() { follow(locks_.sleep()); }
    void wokenUp() { follow(locks_.wake()); }
    bool sessionLocked() const { return locks_.locked(); }
    // Why the program holds the machine's sleep back for a moment (logind lists it).
    std::string sleepDelayReason() const;
    // Said once on the status line when no login session was found to follow.
    void lockWatchStarted(bool sessionFound);
    // A removable medium was mounted: the protected folder is decrypted
    // (after the question when "InquireUSB" is on); while the session is
    // locked nothing happens: the unlock's question decides.
    void removableMediumMounted();

    // The options dialog's OK (the specific folder's mark is set by then):
    // the idle timer re-armed or removed, the file manager's entries removed
    // or restored.
    void applyOptions(const OptionsChange& change);

private:
    bool claimInstance(const CommandLine& line, SingleInstance& instance);
    std::optional<std::vector<std::string>> handedOverPaths(const CommandLine& line, IClipboardText& clipboard);
    void writeMakerKeyOnFirstStart();
    void refreshFileManagerEntries();
    void checkKeySet();
    bool keyPairPresent() const;
    void readKeyMaterial();
    void openProtectedFolder();
    bool staysOpen(const ProtectedFolderClosing& closing, bool autoClose);
    void follow(SessionLockState::Change change);
    void closeForLock();
    void openAfterUnlock();

    AppSession& session_;
    IAppFrame& frame_;
    std::string dataHome_;
    std::optional<CachedKeyMaterial> keyMaterial_;
    // Only the first instance opens the protected folder and closes it again;
    // a file manager's request served beside it leaves the folder alone.
    bool ownsProtectedFolder_ = true;
    bool closedByLock_ = false;
    SessionLockState locks_;
    bool shutDown_ = false;
    bool keptOpen_ = false;  // a close found the protected folder unclosable and the program stayed
    size_t plainAtStart_ = 0;  // files of the protected folder found plain at start
    IdleTimer idle_;
};

} // namespace mvx

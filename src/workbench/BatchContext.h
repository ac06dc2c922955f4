#pragma once

#include "workbench/IBatchProgress.h"

#include <functional>
#include <string>

namespace mvx {

class CKeyManager;
class CMessenger;
struct Settings;
class IDestinationDirectory;
class IEncryptChooser;
class IFileCrypto;
class IMailComposer;
class IUnknownSenderHandler;
class StudioList;
class WorkList;

// The settings the batches read ("Values.dat", section "KLX").
struct WorkbenchSettings {
    std::string destPath1;       // "DestPath1": encrypted files go here; empty = beside the plain file
    std::string destPath2;       // "DestPath2": decrypted files go here; empty = beside the container
    bool deleteCheck1 = false;   // "DeleteCheck1": delete plain files after encryption
    bool deleteCheck2 = false;   // "DeleteCheck2": delete containers after decryption
    bool klxKeep = false;        // "KlxKeep": keep containers when the assigned folder is decrypted
    bool stopDlg = false;        // "StopDlg": read-only notice of the assigned folder ticked away
    bool autoEncComplusion = false;  // "AutoEncComplusion": open-file notice of an automatic close ticked away

    static WorkbenchSettings from(const Settings& settings);
    // Writes the notices' "do not show again" states back.
    void storeNoticeStates(Settings& settings) const;
};

// The own key set, as the key manager found it at start.
struct KeySetPaths {
    bool settingsFileFound = true;
    std::string publicKeyFile;
    std::string privateKeyFile;
    std::string selfAuthKeyFile;  // the self-authentication key ("N))N-auth.kpub")
    std::string keyFolder;
    std::string userName;
    std::string mail;

    // From the key manager on the own key set.
    static KeySetPaths from(const CKeyManager& keys, bool settingsFileFound);
};

// Everything a batch works with. The pointers may be null where a batch kind
// does not need them (a batch that needs a missing one ends with nothing done).
struct BatchContext {
    BatchContext(CMessenger& messengerToUse, StudioList& studioList, WorkList& workList)
        : messenger(messengerToUse), studio(studioList), work(workList)
    {
    }

    CMessenger& messenger;
    StudioList& studio;
    WorkList& work;
    WorkbenchSettings settings;
    KeySetPaths keys;

    IFileCrypto* crypto = nullptr;
    IEncryptChooser* chooser = nullptr;
    IDestinationDirectory* directory = nullptr;
    IMailComposer* mailer = nullptr;
    IUnknownSenderHandler* unknownSender = nullptr;
    IBatchProgress* progress = nullptr;

    // Secure deletion: non-zero when the file was destroyed.
    std::function<int(const std::string&)> secureDelete;
    // True for a file on a CD-ROM (iso9660 or udf) file system.
    std::function<bool(const std::string&)> isOnCdRom;
    // True when the file can be opened now (the protected folder's open-file check).
    std::function<bool(const std::string&)> canOpen;

    // Secure deletion, the CD-ROM check and the open check of this system.
    void usePlatformDefaults();
    // Secure deletion through secureDelete; when only the name went (other
    // names share the content, which is not overwritten) the user is told.
    // Non-zero when the name is gone, zero also without secureDelete.
    int destroy(const std::string& path);

    IBatchProgress& progressView()
    {
        static IBatchProgress none;
        return progress ? *progress : none;
    }
};

} // namespace mvx

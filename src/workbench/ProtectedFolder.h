#pragma once

#include "workbench/DecryptBatch.h"
#include "workbench/EncryptBatch.h"

#include <string>
#include <vector>

namespace mvx {

struct BatchContext;

// The protected folder after its encryption at exit: what the batch did and
// every file that stayed plain, with why.
struct ProtectedFolderClosing {
    struct PlainFile {
        std::string path;
        int reasonSlot = 0;  // the message slot that says why
    };
    EncryptOutcome encryption;
    std::vector<PlainFile> stayedPlain;

    // False when a file that was to be encrypted is still plain because a
    // write or a deletion failed (a full disk, say): closing again may help.
    bool closed() const;
};

// The assigned folder that stays encrypted while the program is not running:
// encrypted at exit (batch kind 6), decrypted at start and when a USB memory
// is attached (batch kind 5). Hidden partial outputs that a killed run of the
// program left in it are destroyed at both ends.
class ProtectedFolder {
public:
    static constexpr size_t kManyFiles = 1000;

    ProtectedFolder(BatchContext& context, std::string folder);

    // At exit. autoClose: the close was started by the idle timer. The
    // notices' "do not show again" states are written back into the
    // context's settings ("StopDlg", "AutoEncComplusion"). The files that
    // stayed plain are named in one message.
    ProtectedFolderClosing encryptAtExit(bool autoClose);
    // At start.
    DecryptOutcome decryptAtStart();
    // A USB memory was attached: asks first when inquire is set.
    DecryptOutcome decryptOnUsb(bool inquire);
    // The files of a folder that are no containers (the program's own
    // temporary files aside): plain while the program was not running, when
    // asked before the decryption at start.
    static size_t plainFileCount(const std::string& folder);

private:
    bool folderThere();
    void destroyStaleTemporaries();
    void setAsideLinksAndHidden(ProtectedFolderClosing& closing);
    void leaveOutReadOnlyFiles(ProtectedFolderClosing& closing);
    void waitForOpenFiles(bool autoClose, ProtectedFolderClosing& closing);
    void report(const ProtectedFolderClosing& closing);

    BatchContext& context_;
    std::string folder_;
};

} // namespace mvx

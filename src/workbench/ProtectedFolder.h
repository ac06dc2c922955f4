#pragma once

#include "workbench/DecryptBatch.h"
#include "workbench/EncryptBatch.h"

#include <string>

namespace mvx {

struct BatchContext;

// The assigned folder that stays encrypted while the program is not running:
// encrypted at exit (batch kind 6), decrypted at start and when a USB memory
// is attached (batch kind 5).
class ProtectedFolder {
public:
    static constexpr size_t kManyFiles = 1000;

    ProtectedFolder(BatchContext& context, std::string folder);

    // At exit. autoClose: the close was started by the idle timer. The
    // notices' "do not show again" states are written back into the
    // context's settings ("StopDlg", "AutoEncComplusion").
    EncryptOutcome encryptAtExit(bool autoClose);
    // At start.
    DecryptOutcome decryptAtStart();
    // A USB memory was attached: asks first when inquire is set.
    DecryptOutcome decryptOnUsb(bool inquire);

private:
    bool folderThere();
    void leaveOutReadOnlyFiles();
    void waitForOpenFiles(bool autoClose);

    BatchContext& context_;
    std::string folder_;
};

} // namespace mvx

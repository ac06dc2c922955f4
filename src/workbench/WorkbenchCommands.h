#pragma once

#include "workbench/DecryptBatch.h"
#include "workbench/EncryptBatch.h"

#include <string>
#include <vector>

namespace mvx {

struct BatchContext;

// The main window's commands that start a batch, without the window: they
// fill the work list as the command does and run the batch.
class WorkbenchCommands {
public:
    explicit WorkbenchCommands(BatchContext& context) : context_(context) {}

    // Encrypt button (kind 3): the address list's key files; an empty list is
    // refused with "Not set up partner.". The studio list is emptied before
    // the batch; the caller empties its address list when this returns true.
    bool encryptButton(const std::vector<std::string>& addressList, bool settingForEncryption, bool attachToMail,
                       EncryptOutcome* outcome = nullptr);
    // "Encryption for oneself" (kind 1) on the folder of the tree or the
    // selected items of the file pane (full paths).
    EncryptOutcome encryptForOneself(const std::vector<std::string>& paths);
    // Decrypt button (kind 0): the studio list's files.
    DecryptOutcome decryptButton();
    // "Decryption" (kind 1) on the selected items of the current folder.
    DecryptOutcome decryptSelected(const std::string& folder, const std::vector<std::string>& names);

private:
    BatchContext& context_;
};

} // namespace mvx

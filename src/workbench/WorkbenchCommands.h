#pragma once

#include "app/CommandLine.h"
#include "workbench/DecryptBatch.h"
#include "workbench/EncryptBatch.h"

#include <string>
#include <vector>

namespace mvx {

struct BatchContext;
class IKeyDropHandler;

// Dropped paths sorted by what they are.
struct DroppedFiles {
    std::vector<std::string> keyFragments;  // "_USER.KBKY"
    std::vector<std::string> containers;    // ".KLX"
    std::vector<std::string> publicKeys;    // ".KPUB"
    std::vector<std::string> plainFiles;
};

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

    // Containers received from the web service (kind 5): chosen in a file
    // dialog, decrypted without questions, removed unless "KlxKeep".
    DecryptOutcome decryptReceived();

    // "Create Encrypt File" of the destination-list window (kind 2): the
    // files chosen there; destinations and options come from the chooser.
    EncryptOutcome encryptFromDestinationList(const std::vector<std::string>& plainFiles);
    // The mini window's Encrypt button: files chosen in a file dialog, kind 0.
    EncryptOutcome miniEncryptButton();
    // Paths dropped on the mini window; a folder counts with the files
    // directly inside it. Public keys are registered first, then containers
    // decrypted (kind 2), then plain files encrypted (kind 1 with
    // "DDSelfEncrypt", else kind 0).
    void dropOnMiniWindow(const std::vector<std::string>& paths, bool ddSelfEncrypt, IKeyDropHandler* keys);
    // A file manager's request on the handed-over paths: -E encrypts (kind 0,
    // the destination selection), -D decrypts (kind 0), -K destroys; a folder
    // counts with the files directly inside it. False for other switches.
    bool shellRequest(CommandLine::Switch kind, const std::vector<std::string>& paths);
    static DroppedFiles sortDropped(const std::vector<std::string>& paths);

private:
    BatchContext& context_;
};

} // namespace mvx

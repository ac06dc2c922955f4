#pragma once

#include "app/CommandLine.h"
#include "engine/EncryptionSettings.h"
#include "workbench/DecryptBatch.h"
#include "workbench/EncryptBatch.h"

#include <optional>
#include <string>
#include <vector>

namespace mvx {

class AppSession;
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
    // autoClose: the idle timer closed the program.
    void shutDown(bool autoClose);

    // The protected folder, when automatic encryption and decryption is on.
    std::optional<std::string> protectedFolder() const;
    bool holdsKeyMaterial() const { return keyMaterial_.has_value(); }
    // Decrypts the protected folder (start, USB memory attached); asks first when inquire is set.
    DecryptOutcome decryptProtectedFolder(bool inquire = false);
    EncryptOutcome encryptProtectedFolder(bool autoClose);

private:
    bool claimInstance(const CommandLine& line, SingleInstance& instance);
    std::optional<std::vector<std::string>> handedOverPaths(const CommandLine& line, IClipboardText& clipboard);
    void writeMakerKeyOnFirstStart();
    void refreshFileManagerEntries();
    void checkKeySet();
    bool keyPairPresent() const;
    void readKeyMaterial();

    AppSession& session_;
    IAppFrame& frame_;
    std::string dataHome_;
    std::optional<CachedKeyMaterial> keyMaterial_;
    // Only the first instance opens the protected folder and closes it again;
    // a file manager's request served beside it leaves the folder alone.
    bool ownsProtectedFolder_ = true;
};

} // namespace mvx

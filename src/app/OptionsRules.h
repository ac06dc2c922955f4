#pragma once

#include "app/CMessenger.h"
#include "app/IFolderFacts.h"
#include "app/IInteraction.h"
#include "app/Settings.h"

#include <optional>
#include <string>

namespace mvx {

// The verdict of a folder rule: accepted, or refused with a message slot.
struct FolderVerdict {
    bool accepted = true;
    int slot = -1;
    MsgIcon icon = MsgIcon::Stop;
    // The folder as accepted; for a refusal the folder that slot 342 names.
    std::string folder;

    static FolderVerdict accept(std::string folder) { return {true, -1, MsgIcon::Stop, std::move(folder)}; }
    static FolderVerdict refuse(int slot, std::string folder) { return {false, slot, MsgIcon::Stop, std::move(folder)}; }
};

// Shows the message of a refusal (nothing for an accepted folder).
void showRefusal(CMessenger& messenger, const FolderVerdict& verdict);

// The general check of the specific folder, at browse and at OK: empty is
// accepted; a drive root ("/" or a mount point), a system folder, the
// program folder, and a folder that contains or lies in the key-pair root are
// refused.
FolderVerdict checkGeneralFolder(const std::string& folder, const std::string& keyPairRoot,
                                 const std::string& programFolder, const IFolderFacts& facts);

// The rules for a folder chosen with the specific-folder browser: the general
// check, then the key-pair root itself, then, on the key-pair root's device,
// removable and network storage. The accepted folder ends with "/".
FolderVerdict checkSpecificFolderChoice(const std::string& folder, const std::string& keyPairRoot,
                                        const std::string& programFolder, const IFolderFacts& facts);

// The specific-folder browser: shown again after each refusal until the user
// cancels (nothing) or a folder is accepted.
std::optional<std::string> browseSpecificFolder(CMessenger& messenger, const IFolderFacts& facts,
                                                const std::string& keyPairRoot, const std::string& programFolder,
                                                const std::string& startFolder);
// The browser of the encrypted-file folder: no checks, a trailing "/" added.
std::optional<std::string> browseEncryptedFileFolder(CMessenger& messenger, const std::string& startFolder);

// What the options dialog shows and hands back.
struct OptionsValues {
    std::string destPath1;
    std::string destPath2;
    bool deleteCheck1 = false;
    bool deleteCheck2 = false;
    bool encAndDec = false;
    bool klxKeep = false;
    bool inquireUsb = true;
    bool noUseContextMenu = false;
    bool useSmallMenu = true;
    bool useTimer = true;
    int timerListIndex = 0;  // 0, 1, 2 for 1, 5, 10 minutes
    std::string userName;
    std::string mailAddress;
    // Carried through unchanged.
    int limitCheck = 0;
    int limitUnit = 0;
    int klxSnedMailCheck = 0;
    // The detail dialog.
    bool smallMenuTopmost = true;
    int smallMenuPosition = 4;
    bool ddSelfEncrypt = false;
};

// Which controls of the options dialog accept input.
struct OptionsEnabled {
    bool encAndDecCheck = true;
    bool klxKeepCheck = true;
    bool inquireUsbCheck = true;
    bool destPath2Field = true;
    bool destPath2Browse = true;
    bool useTimerCheck = true;
    bool timerList = true;
    bool nameField = true;
    bool mailField = true;

    friend bool operator==(const OptionsEnabled&, const OptionsEnabled&) = default;
};

int timerMinutesFromListIndex(int index);  // 0 -> 1, 1 -> 5, 2 -> 10
int timerListIndexFromMinutes(int minutes);
// The detail dialog shows a stored position 6 as 5, and an unknown one as
// the default corner.
int detailPositionShown(int storedPosition);

OptionsValues optionsValuesFrom(const Settings& settings, const std::string& userName, const std::string& mailAddress);
OptionsEnabled optionsEnabledAtStart(const OptionsValues& values, bool ownPublicKeyExists);
// Ticking "EncAndDec" enables the specific folder, its browser, the timer box
// and, with the timer on, the timer list; "UseTimer" enables the timer list.
void onEncAndDecToggled(const OptionsValues& values, OptionsEnabled& enabled);
void onUseTimerToggled(const OptionsValues& values, OptionsEnabled& enabled);
// The "Default" button.
void applyDefaultButton(OptionsValues& values, OptionsEnabled& enabled);

// The OK button's checks; a refusal keeps the dialog open.
FolderVerdict checkOptionsOk(const OptionsValues& values, const std::string& keyPairRoot,
                             const std::string& programFolder, const IFolderFacts& facts);

// What the main window does with the values of a confirmed dialog.
struct OptionsOutcome {
    bool takeUserInfo = false;       // store name and mail with the key set
    bool saveSettings = false;
    bool userInfoNotReflected = false;  // show "The user information is not reflected."
    bool markSpecificFolder = false;    // the specific folder changed or automatic handling was switched on
    bool removeContextMenu = false;     // "NoUseContextMenu" is set
};
OptionsOutcome applyOptionsResult(Settings& settings, const OptionsValues& values, bool ownPublicKeyExists);

} // namespace mvx

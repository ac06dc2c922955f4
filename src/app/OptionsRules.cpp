#include "app/OptionsRules.h"

#include "app/Msg.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace mvx {

namespace {

std::string withoutSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string withSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path += '/';
    return path;
}

std::string lastComponentLower(const std::string& folder)
{
    const std::string trimmed = withoutSlash(folder);
    std::string name = trimmed.substr(trimmed.find_last_of('/') + 1);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name;
}

bool isLinuxSystemFolder(const std::string& folder)
{
    static const std::array<const char*, 10> kSystem = {"/etc", "/usr", "/bin", "/sbin", "/boot",
                                                         "/dev", "/proc", "/sys", "/run", "/var"};
    if (std::find(kSystem.begin(), kSystem.end(), folder) != kSystem.end())
        return true;
    return folder.rfind("/lib", 0) == 0 && folder.find('/', 1) == std::string::npos;
}

bool isSystemFolder(const std::string& folder, const std::string& canonical, const IFolderFacts& facts)
{
    const std::string name = lastComponentLower(folder);
    if (name == "windows" || name == "documents and settings" || name == "program files")
        return true;
    const std::string home = withoutSlash(facts.homeFolder());
    for (const std::string& f : {withoutSlash(folder), canonical})
        if (isLinuxSystemFolder(f) || (!home.empty() && (f == home || f == facts.canonical(home))))
            return true;
    return false;
}

// One folder lies in (or is) the other: the shorter, with its trailing "/",
// begins the longer.
bool nested(const std::string& a, const std::string& b)
{
    const std::string x = withSlash(a);
    const std::string y = withSlash(b);
    const std::string& shorter = x.size() <= y.size() ? x : y;
    const std::string& longer = x.size() <= y.size() ? y : x;
    return longer.compare(0, shorter.size(), shorter) == 0;
}

} // namespace

void showRefusal(CMessenger& messenger, const FolderVerdict& verdict)
{
    if (!verdict.accepted)
        messenger.show(verdict.slot, verdict.icon, verdict.folder);
}

FolderVerdict checkGeneralFolder(const std::string& folder, const std::string& keyPairRoot,
                                 const std::string& programFolder, const IFolderFacts& facts)
{
    if (folder.empty())
        return FolderVerdict::accept(folder);
    const std::string canonical = facts.canonical(folder);
    if (facts.isDriveRoot(folder))
        return FolderVerdict::refuse(Msg::SpecificFolderNotNetworkDrive, folder);
    if (isSystemFolder(folder, canonical, facts))
        return FolderVerdict::refuse(Msg::SystemFolderRefused, folder);
    if (!programFolder.empty() && canonical == facts.canonical(withoutSlash(programFolder)))
        return FolderVerdict::refuse(Msg::CannotChooseDriveDirectly, folder);
    // Without a key set there is no key-pair root to keep apart from.
    if (!keyPairRoot.empty() && nested(canonical, facts.canonical(keyPairRoot)))
        return FolderVerdict::refuse(Msg::KeyOrNetworkFolderChosen, folder);
    return FolderVerdict::accept(folder);
}

FolderVerdict checkSpecificFolderChoice(const std::string& folder, const std::string& keyPairRoot,
                                        const std::string& programFolder, const IFolderFacts& facts)
{
    FolderVerdict general = checkGeneralFolder(folder, keyPairRoot, programFolder, facts);
    if (!general.accepted || folder.empty())
        return general;
    const std::string chosen = withSlash(folder);
    if (keyPairRoot.empty())
        return FolderVerdict::accept(chosen);
    if (facts.canonical(chosen) == facts.canonical(withoutSlash(keyPairRoot)))
        return FolderVerdict::refuse(Msg::SpecificFolderIsKeyFolder, chosen);
    const auto rootDevice = facts.deviceId(keyPairRoot);
    const auto folderDevice = facts.deviceId(chosen);
    if (!rootDevice || !folderDevice || *rootDevice != *folderDevice)
        return FolderVerdict::accept(chosen);
    switch (facts.driveKind(chosen)) {
    case DriveKind::Removable:
        return FolderVerdict::refuse(Msg::SpecificFolderIsKeyFolder, chosen);
    case DriveKind::Network:
        return FolderVerdict::refuse(Msg::SpecificFolderMustBeHardDisk, chosen);
    default:
        return FolderVerdict::accept(chosen);
    }
}

std::optional<std::string> browseSpecificFolder(CMessenger& messenger, const IFolderFacts& facts,
                                                const std::string& keyPairRoot, const std::string& programFolder,
                                                const std::string& startFolder)
{
    std::string start = startFolder;
    for (;;) {
        const auto chosen = messenger.interaction().chooseFolderPrompted(
            messenger.text(Msg::SelectFolderTitle), messenger.text(Msg::SelectFolderPrompt), start);
        if (!chosen || chosen->empty())
            return std::nullopt;
        const FolderVerdict verdict = checkSpecificFolderChoice(*chosen, keyPairRoot, programFolder, facts);
        if (verdict.accepted)
            return verdict.folder;
        showRefusal(messenger, verdict);
        start = *chosen;
    }
}

std::optional<std::string> browseEncryptedFileFolder(CMessenger& messenger, const std::string& startFolder)
{
    const auto chosen = messenger.interaction().chooseFolderPrompted(
        messenger.text(Msg::SelectFolderTitle), messenger.text(Msg::SelectFolderPrompt), startFolder);
    if (!chosen || chosen->empty())
        return std::nullopt;
    return withSlash(*chosen);
}

int timerMinutesFromListIndex(int index)
{
    switch (index) {
    case 1: return 5;
    case 2: return 10;
    default: return 1;
    }
}

int timerListIndexFromMinutes(int minutes)
{
    switch (minutes) {
    case 5: return 1;
    case 10: return 2;
    default: return 0;
    }
}

int detailPositionShown(int storedPosition)
{
    if (storedPosition == 6)
        return 5;
    return storedPosition >= 1 && storedPosition <= 5 ? storedPosition : Settings{}.smallMenuPosition;
}

OptionsValues optionsValuesFrom(const Settings& s, const std::string& userName, const std::string& mailAddress)
{
    OptionsValues v;
    v.destPath1 = s.destPath1;
    v.destPath2 = s.destPath2;
    v.deleteCheck1 = s.deleteCheck1 != 0;
    v.deleteCheck2 = s.deleteCheck2 != 0;
    v.encAndDec = s.encAndDec != 0;
    v.klxKeep = s.klxKeep != 0;
    v.inquireUsb = s.inquireUsb != 0;
    v.noUseContextMenu = s.noUseContextMenu != 0;
    v.useSmallMenu = s.useSmallMenu != 0;
    v.useTimer = s.useTimer != 0;
    v.timerListIndex = timerListIndexFromMinutes(s.timeForTimer);
    v.userName = userName;
    v.mailAddress = mailAddress;
    v.limitCheck = s.limitCheck;
    v.limitUnit = s.limitUnit;
    v.klxSnedMailCheck = s.klxSnedMailCheck;
    v.smallMenuTopmost = s.smallMenuTopmost != 0;
    v.smallMenuPosition = detailPositionShown(s.smallMenuPosition);
    v.ddSelfEncrypt = s.ddSelfEncrypt != 0;
    return v;
}

void onEncAndDecToggled(const OptionsValues& values, OptionsEnabled& enabled)
{
    enabled.destPath2Field = values.encAndDec;
    enabled.destPath2Browse = values.encAndDec;
    enabled.useTimerCheck = values.encAndDec;
    enabled.timerList = values.encAndDec && values.useTimer;
}

void onUseTimerToggled(const OptionsValues& values, OptionsEnabled& enabled)
{
    enabled.timerList = values.useTimer && enabled.useTimerCheck;
}

OptionsEnabled optionsEnabledAtStart(const OptionsValues& values, bool ownPublicKeyExists)
{
    OptionsEnabled enabled;
    onEncAndDecToggled(values, enabled);
    if (!values.useTimer)
        enabled.timerList = false;
    if (!ownPublicKeyExists) {
        enabled.encAndDecCheck = false;
        enabled.klxKeepCheck = false;
        enabled.inquireUsbCheck = false;
        enabled.destPath2Field = false;
        enabled.destPath2Browse = false;
        enabled.useTimerCheck = false;
        enabled.timerList = false;
        enabled.nameField = false;
        enabled.mailField = false;
    }
    return enabled;
}

void applyDefaultButton(OptionsValues& values, OptionsEnabled& enabled)
{
    values.destPath1.clear();
    values.destPath2.clear();
    values.deleteCheck1 = false;
    values.deleteCheck2 = false;
    values.encAndDec = false;
    values.noUseContextMenu = false;
    values.inquireUsb = true;
    values.useSmallMenu = true;
    values.useTimer = true;
    values.timerListIndex = 0;
    enabled.inquireUsbCheck = false;
    enabled.useTimerCheck = false;
    enabled.timerList = false;
    enabled.destPath2Field = false;
    enabled.destPath2Browse = false;
}

FolderVerdict checkOptionsOk(const OptionsValues& values, const std::string& keyPairRoot,
                             const std::string& programFolder, const IFolderFacts& facts)
{
    FolderVerdict general = checkGeneralFolder(values.destPath2, keyPairRoot, programFolder, facts);
    if (!general.accepted)
        return general;
    if (!values.destPath1.empty() && !facts.folderExists(values.destPath1))
        return FolderVerdict::refuse(Msg::EncryptedFileFolderMissing, values.destPath1);
    // A local folder: an absolute path that exists.
    if (values.encAndDec && (values.destPath2.empty() || values.destPath2.front() != '/' ||
                             !facts.folderExists(values.destPath2)))
        return FolderVerdict::refuse(Msg::AutoFolderMissing, values.destPath2);
    return FolderVerdict::accept(values.destPath2);
}

OptionsOutcome applyOptionsResult(Settings& s, const OptionsValues& v, bool ownPublicKeyExists)
{
    OptionsOutcome outcome;
    outcome.markSpecificFolder =
        !v.destPath2.empty() && (v.destPath2 != s.destPath2 || (v.encAndDec && s.encAndDec == 0));
    s.destPath1 = v.destPath1;
    s.destPath2 = v.destPath2;
    s.deleteCheck1 = v.deleteCheck1;
    s.deleteCheck2 = v.deleteCheck2;
    s.encAndDec = v.encAndDec;
    s.klxKeep = v.klxKeep;
    s.inquireUsb = v.inquireUsb;
    s.noUseContextMenu = v.noUseContextMenu;
    s.useSmallMenu = v.useSmallMenu;
    s.useTimer = v.useTimer;
    s.timeForTimer = timerMinutesFromListIndex(v.timerListIndex);
    s.limitCheck = v.limitCheck;
    s.limitUnit = v.limitUnit;
    s.klxSnedMailCheck = v.klxSnedMailCheck;
    outcome.removeContextMenu = v.noUseContextMenu;
    if (ownPublicKeyExists) {
        s.smallMenuTopmost = v.smallMenuTopmost;
        s.smallMenuPosition = v.smallMenuPosition;
        s.ddSelfEncrypt = v.ddSelfEncrypt;
        outcome.takeUserInfo = true;
        outcome.saveSettings = true;
    } else {
        outcome.userInfoNotReflected = true;
    }
    return outcome;
}

} // namespace mvx

#include "workbench/BatchContext.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "app/Settings.h"
#include "keys/CKeyManager.h"
#include "keys/KeyFileNames.h"
#include "platform/DriveKind.h"
#include "platform/SecureDelete.h"
#include "workbench/BatchFiles.h"

#include <map>
#include <memory>

namespace mvx {

WorkbenchSettings WorkbenchSettings::from(const Settings& settings)
{
    WorkbenchSettings values;
    values.destPath1 = settings.destPath1;
    values.destPath2 = settings.destPath2;
    values.deleteCheck1 = settings.deleteCheck1 != 0;
    values.deleteCheck2 = settings.deleteCheck2 != 0;
    values.klxKeep = settings.klxKeep != 0;
    values.stopDlg = settings.stopDlg != 0;
    values.autoEncComplusion = settings.autoEncComplusion != 0;
    return values;
}

void WorkbenchSettings::storeNoticeStates(Settings& settings) const
{
    settings.stopDlg = stopDlg ? 1 : 0;
    settings.autoEncComplusion = autoEncComplusion ? 1 : 0;
}

KeySetPaths KeySetPaths::from(const CKeyManager& keys, bool settingsFileFound)
{
    KeySetPaths paths;
    paths.settingsFileFound = settingsFileFound;
    if (keys.hasOwnKeySet()) {
        paths.publicKeyFile = keys.ownPublicKeyPath();
        paths.privateKeyFile = keys.ownPrivateKeyPath();
    }
    paths.keyFolder = keys.keyFolder();
    if (!paths.keyFolder.empty() && !keys.owner().empty())
        paths.selfAuthKeyFile = paths.keyFolder + KeyFileNames::authKeyName(keys.owner(), keys.owner());
    paths.userName = keys.userName();
    paths.mail = keys.mail();
    return paths;
}

void BatchContext::usePlatformDefaults()
{
    secureDelete = [](const std::string& path) { return SecureDelete(path); };
    // The mount table is read once per file system the batch meets, not per
    // file: a device keeps its kind while it stays mounted.
    isOnCdRom = [kinds = std::make_shared<std::map<uint64_t, DriveKind>>()](const std::string& path) {
        const auto device = deviceIdOf(path);
        if (!device)
            return driveKindOf(path) == DriveKind::CdRom;
        auto known = kinds->find(*device);
        if (known == kinds->end())
            known = kinds->emplace(*device, driveKindOf(path)).first;
        return known->second == DriveKind::CdRom;
    };
    canOpen = [](const std::string& path) { return BatchFiles::canOpenForReading(path); };
}

int BatchContext::destroy(const std::string& path)
{
    const int result = secureDelete ? secureDelete(path) : SecureDeleteResult::kFailed;
    if (result == SecureDeleteResult::kNameRemovedOnly)
        messenger.show(Msg::SharedContentNotOverwritten, MsgIcon::Exclamation, path);
    return result;
}

} // namespace mvx

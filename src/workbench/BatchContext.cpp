#include "workbench/BatchContext.h"

#include "platform/DriveKind.h"
#include "platform/SecureDelete.h"
#include "workbench/BatchFiles.h"

namespace mvx {

void BatchContext::usePlatformDefaults()
{
    secureDelete = [](const std::string& path) { return SecureDelete(path); };
    isOnCdRom = [](const std::string& path) { return driveKindOf(path) == DriveKind::CdRom; };
    canOpen = [](const std::string& path) { return BatchFiles::canOpenForReading(path); };
}

} // namespace mvx

#include "ui/keys/KeyDropRegistration.h"

#include "keys/DestinationListEditor.h"
#include "ui/shared/UiThread.h"

namespace mvx::ui {

KeyDropRegistration::KeyDropRegistration(QObject* window, CKeyManager& keys, mvx::DestinationListEditor& list,
                                         StrayKeys& strays)
    : window_(window), keys_(keys), list_(list), strays_(strays)
{
}

void KeyDropRegistration::registerPublicKeys(const std::vector<std::string>& keyFiles)
{
    onThreadOf(window_, [&] {
        strays_.offer();
        for (const std::string& keyFile : keyFiles)
            list_.registerKey(keyFile, keys_.keyFolder());
    });
}

} // namespace mvx::ui

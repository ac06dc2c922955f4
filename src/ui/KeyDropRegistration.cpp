#include "ui/KeyDropRegistration.h"

#include "keys/CKeyChainList.h"
#include "ui/UiThread.h"

namespace mvx::ui {

KeyDropRegistration::KeyDropRegistration(QObject* window, CKeyManager& keys, mvx::CKeyChainList& list,
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

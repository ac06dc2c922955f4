#include "net/ServiceUrl.h"

#include "app/CSettingsStore.h"

#include <cstdlib>

namespace mvx::net {

std::string CServiceUrl::Resolve(const std::string& settingValue)
{
    const char* fromEnvironment = std::getenv("MORVANEX_SERVICE_URL");
    std::string url = fromEnvironment && *fromEnvironment ? fromEnvironment
                      : !settingValue.empty()             ? settingValue
                                                          : CSettingsStore::kDefaultServiceUrl;
    if (url.back() != '/')
        url += '/';
    return url;
}

} // namespace mvx::net

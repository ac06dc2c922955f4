#pragma once

#include <string>

namespace mvx::net {

// The base URL of the web service: MORVANEX_SERVICE_URL when set, else the
// setting "ServiceURL" when it is not empty, else the settings store's
// default. The result ends with "/".
class CServiceUrl {
public:
    static std::string Resolve(const std::string& settingValue);
};

} // namespace mvx::net

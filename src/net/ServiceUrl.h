#pragma once

#include <string>

namespace mvx::net {

// The base URL of the web service: MORVANEX_SERVICE_URL when set, else the
// setting "ServiceURL" when it is not empty, else the built-in address. The
// result ends with "/".
class CServiceUrl {
public:
    static constexpr const char* kDefault = "https://velquin.morvanex.example/";
    static constexpr const char* kSettingKey = "ServiceURL";

    static std::string Resolve(const std::string& settingValue);
};

} // namespace mvx::net

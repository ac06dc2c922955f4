#pragma once

#include "app/CMessenger.h"
#include "keys/KeySetGenerator.h"

#include <functional>
#include <string>

namespace mvx {

// What follows the key-set wizard's Finish: generate the set into the key
// root, save the settings, create the key folder with the personal
// information, authenticate the own public key quietly and register that
// self-authentication key in the key folder.
class KeySetSetup {
public:
    struct Request {
        std::string keyRoot;
        std::string name;
        std::string userName;
        std::string mail;
    };

    struct Result {
        bool done = false;
        KeySetSettings settings;
        std::string keyFolder;
        std::string selfAuthKeyPath;
    };

    using SaveSettings = std::function<bool(const KeySetSettings&)>;

    KeySetSetup(CMessenger& messenger, SaveSettings saveSettings)
        : messenger_(messenger), saveSettings_(std::move(saveSettings))
    {
    }

    Result finish(const Request& request);

private:
    CMessenger& messenger_;
    SaveSettings saveSettings_;
};

} // namespace mvx

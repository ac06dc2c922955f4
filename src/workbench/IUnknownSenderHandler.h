#pragma once

#include <string>

namespace mvx {

// What happens after a container from an unknown sender was decrypted:
// opening the plain file with its associated program and offering to
// authenticate the sender. Without a handler nothing more happens.
class IUnknownSenderHandler {
public:
    struct Decrypted {
        int batchKind = 0;
        std::string containerPath;
        std::string plainPath;
        std::string senderName;
        std::string senderMail;
    };

    virtual ~IUnknownSenderHandler() = default;
    virtual void onUnknownSender(const Decrypted& decrypted) = 0;
};

} // namespace mvx

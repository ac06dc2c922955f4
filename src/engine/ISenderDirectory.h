#pragma once

#include <cstdint>
#include <string>

namespace mvx {

// Names the sender of a container from the partners in the user's key
// folders. The destination list implements it; without one every sender is
// unknown.
class ISenderDirectory {
public:
    static constexpr int kUnknown = -1;
    static constexpr int kRenew = 2;

    struct Identification {
        int status = kUnknown;
        std::string userName;
        std::string mail;
    };

    virtual ~ISenderDirectory() = default;
    virtual Identification identify(uint32_t senderTag, const uint8_t* senderIdentityHash) = 0;
    // The key check before a renewal: 0 fine, 1 own private key wrong,
    // 2 partner's public key wrong, 3 own public key wrong.
    virtual int checkBeforeRenewal(const Identification& sender) = 0;
    virtual void renew(const Identification& sender) = 0;
    // Writes what identify() kept back to spare a write per container (the
    // last use of the senders' entries). Called when a batch ends.
    virtual void flush() {}
};

} // namespace mvx

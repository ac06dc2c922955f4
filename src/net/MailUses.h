#pragma once

#include <string>
#include <vector>

namespace mvx {
class CMessageTable;
}

namespace mvx::net {

// The mails the program composes, with their subjects and bodies from the
// message table of the moment.
class CMailUses {
public:
    struct Draft {
        std::vector<std::string> to;
        std::vector<std::string> attachments;
        std::string subject;
        std::string body;
    };

    // The own public key, for the user to address.
    static Draft OwnPublicKey(const CMessageTable& table, const std::string& publicKeyFile);
    // An authenticated key made for a partner, for the user to address.
    static Draft AuthenticatedKey(const CMessageTable& table, const std::string& authKeyFile);
    // The containers of a batch encryption to its destinations.
    static Draft EncryptedFiles(const CMessageTable& table, const std::vector<std::string>& addresses,
                                const std::vector<std::string>& containers);
    // One container forwarded to addresses chosen from its history.
    static Draft ForwardContainer(const CMessageTable& table, const std::vector<std::string>& addresses,
                                  const std::string& container);
    // Key files chosen in the destination list, without subject or body.
    static Draft KeyFiles(const std::vector<std::string>& keyFiles);

    // Hands a draft to the mail program (compose window); 1 or 0 as CSimpleMail::Send.
    static int Send(const Draft& draft);
};

} // namespace mvx::net

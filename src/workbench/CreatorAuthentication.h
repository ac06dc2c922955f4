#pragma once

#include "app/CMessenger.h"
#include "keys/CKeyManager.h"
#include "keys/DestinationListEditor.h"
#include "platform/AppLauncher.h"

#include <functional>
#include <string>

namespace mvx {

// What follows the decryption of a container whose sender is unknown: the
// plain file is opened with its associated program and waited for; in batch
// kind 1 it is then destroyed; the user is asked whether to authenticate the
// creator, and Yes authenticates the public key the container carries and
// registers it in the destination list. A key fragment (".kbky") registers
// the carried key without opening the file or asking.
class CreatorAuthentication {
public:
    static constexpr int kKindSelectedItems = 1;

    struct Decrypted {
        int batchKind = 0;
        std::string containerPath;
        std::string plainPath;
        std::string senderName;
        std::string senderMail;
    };

    // Authenticates a public key file (the authentication command with the
    // file handed in); returns the authenticated key made, empty when none.
    using Authenticate = std::function<std::string(const std::string& publicKeyFile)>;

    CreatorAuthentication(CMessenger& messenger, IAppLauncher& launcher, CKeyManager& keys, DestinationListEditor& list,
                          Authenticate authenticate);

    void afterDecryption(const Decrypted& decrypted);
    // Off: the plain file is not opened (nor destroyed afterwards); the
    // authentication question is asked all the same.
    void setOpensFile(bool opens) { opensFile_ = opens; }
    // Writes the carried public key into the key folder, authenticates it and
    // registers it under the sender's name and mail. True when registered.
    bool authenticateCreator(const Decrypted& decrypted);

    // The public key file image the container carries (framing of the
    // sender attachment); empty when it has none.
    static std::vector<uint8_t> carriedPublicKey(const std::string& containerPath);

private:
    bool openAndWait(const std::string& plainPath);
    std::string writeCarriedKey(const std::vector<uint8_t>& keyFile, const std::string& senderName);

    CMessenger& messenger_;
    IAppLauncher& launcher_;
    CKeyManager& keys_;
    DestinationListEditor& list_;
    Authenticate authenticate_;
    bool opensFile_ = true;
};

} // namespace mvx

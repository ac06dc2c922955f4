#pragma once

#include "app/CMessenger.h"
#include "engine/RsaBlob.h"

#include <string>
#include <vector>

namespace mvx {

// The names of the own key set as the settings keep them.
struct KeySetSettings {
    std::string keyPairRoot;  // with a trailing "/"
    std::string publicKeyName;
    std::string privateKeyName;
    std::string memberFileName;
};

// The key-set generator: a fresh RSA-1024 key exchange pair written as a
// public key file (N.kpub) and a private key file (NPrivate.kpri) into the
// target folder, both read-only. An existing key set is never touched.
class KeySetGenerator {
public:
    static constexpr int kGenerated = 1;
    static constexpr int kNameTooLong = 0;
    static constexpr int kForbiddenCharacter = -1;
    static constexpr int kNotWritten = -2;
    static constexpr int kKeyBits = 1024;
    static constexpr size_t kKeySetTagSize = 32;

    explicit KeySetGenerator(CMessenger& messenger) : messenger_(messenger) {}

    void setTargetFolder(const std::string& folder);
    const std::string& targetFolder() const { return targetFolder_; }

    // 1, or 0 after the provider's error text was reported.
    int acquireAndGenerateKey();
    // Each creates a new read-only file; 1 or 0.
    int writePublicKeyFile(const std::string& path);
    int writePrivateKeyFile(const std::string& path);
    // 1 done, 0 name longer than 60, -1 forbidden character, -2 key files not written (message shown).
    int generateKeySet(const std::string& name);

    const std::string& publicKeyPath() const { return publicKeyPath_; }
    const std::string& privateKeyPath() const { return privateKeyPath_; }
    const std::string& keySetName() const { return keySetName_; }
    // The settings that name the key set just generated.
    KeySetSettings settingsForNewSet() const;

    // Bytes 16..47 of the SHA-512 of the decimal tick count text.
    static std::vector<uint8_t> keySetTag(int32_t tickCount);

private:
    int writeKeyFiles();

    CMessenger& messenger_;
    EvpPkeyPtr key_;
    std::string targetFolder_;
    std::string publicKeyPath_;
    std::string privateKeyPath_;
    std::string keySetName_;
};

} // namespace mvx

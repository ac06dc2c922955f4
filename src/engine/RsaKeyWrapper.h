#pragma once

#include "engine/RsaBlob.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace mvx {

// One-shot RSA key-exchange service: load a key, then encrypt or decrypt one
// block with PKCS #1 v1.5. Encrypt and decrypt release the key whether they
// succeed or not, so the wrapper is loaded again before each use. Ciphertext
// is kept in the key files' little-endian byte order (the reverse of the
// PKCS #1 octet string).
class RsaKeyWrapper {
public:
    static constexpr size_t kMaxBlock = 256;

    // Reads the key file framing (4-byte length, blob) and imports the blob. 1 or 0.
    int loadFromFile(const std::string& path);
    // Imports a blob already in memory. 1 or 0.
    int loadFromMemory(std::vector<uint8_t> blob);
    // Shares a key imported before (KeyMaterialCache). 1 or 0.
    int loadShared(evp_pkey_st* key);
    // 1 with the ciphertext in result, or 0 (result empty). Lengths above 256 are refused.
    int encrypt(const uint8_t* data, size_t length, std::vector<uint8_t>& result);
    // 1 with the plain bytes in result, or 0. Fails silently.
    int decrypt(const uint8_t* data, size_t length, std::vector<uint8_t>& result);
    void release() { key_.reset(); }
    bool isLoaded() const { return key_ != nullptr; }

    // The key file framing: the blob of a key file, nullopt-like empty when damaged.
    static std::vector<uint8_t> readBlobFromKeyFile(const std::string& path, bool* opened = nullptr);
    static std::vector<uint8_t> blobFromKeyFileBytes(std::span<const uint8_t> fileBytes);
    // The key file's (first) blob is a private key: never a destination.
    static bool holdsPrivateKey(const std::string& path);

private:
    EvpPkeyPtr key_;
};

} // namespace mvx

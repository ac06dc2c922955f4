#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mvx {

// Reading and writing key files as every key file is handled: framings of a
// 4-byte length and a blob, files written read-only, an old file of the same
// name made writable and destroyed by secure deletion before it is replaced.
class KeyFileStore {
public:
    static constexpr unsigned kPrivateKeyMode = 0400;
    static constexpr unsigned kKeyFileMode = 0444;
    static constexpr size_t kAuthenticatedKeySize1024 = 284;  // 4 + 148 + 4 + 128
    static constexpr size_t kMaxKeyFileSize = 64 * 1024;

    // 4-byte little-endian length followed by the bytes.
    static std::vector<uint8_t> framing(const std::vector<uint8_t>& blob);

    // Writes the new file beside the old one first, so a failed write leaves
    // the old file as it was; then destroys the old file and puts the new one
    // in its place with the given mode.
    static bool writeReplacing(const std::string& path, const std::vector<uint8_t>& bytes, unsigned mode);
    // Creates a key file that must not exist yet; false (nothing left behind) otherwise.
    static bool writeNew(const std::string& path, const std::vector<uint8_t>& bytes, unsigned mode);
    // Makes an existing key file writable and destroys it. Non-zero when no
    // file is left: SecureDelete's result (kDestroyed also when there was none).
    static int destroy(const std::string& path);

    // Public key file length = L + 4 and private key file length = L + 52.
    static bool keyPairIsValid(const std::string& publicKeyPath, const std::string& privateKeyPath);
    // The check made before a key file is registered: a plain public key of
    // length L + 4, or an authenticated key of exactly 284 bytes.
    static bool passesKindCheck(const std::string& path);
};

} // namespace mvx

#pragma once

#include "platform/SecretMemory.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace mvx {

// The own key set as the encryption path uses it.
struct SenderKeys {
    std::string publicKeyFile;
    std::string privateKeyFile;
    std::string userName;
    std::string mail;
    uint64_t ownKeyFingerprint = 0;  // plain fingerprint of the own public key blob
};

// Key material read into memory at start, for the protected-folder encryption
// at exit, when the key files may no longer be reachable.
struct CachedKeyMaterial {
    SecretBytes privateKeyFile;              // the whole own private key file
    std::vector<uint8_t> selfAuthPublicBlob; // the self-authentication key's public blob
    std::vector<uint8_t> selfAuthRecord;     // its sealed record (second framing)
};

// A decryption time limit; 0 seconds means none.
struct TimeLimitSetting {
    uint32_t seconds = 0;
    bool fromFirstDecryption = false;
};

// Batch kinds; the per-file encryption takes them as its mode.
enum BatchKind : int {
    kKindChooseDestinations = 0,
    kKindForOneself = 1,
    kKindFromDestinationList = 2,
    kKindMainWindow = 3,
    kKindSilent = 5,
    kKindProtectedFolder = 6,
};

// Bits of the batch option word.
enum OptionBits : uint32_t {
    kOptionTimeLimit = 1,
    kOptionAttachSender = 4,
    kOptionHistory = 8,
};

} // namespace mvx

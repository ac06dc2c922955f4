#pragma once

#include "engine/EncryptionSettings.h"

#include <optional>

namespace mvx {

struct KeySetPaths;

// The own key material the protected folder is encrypted with at exit, read
// while the key files are reachable: the private key file and the
// self-authentication key's public blob and sealed record.
class OwnKeyMaterial {
public:
    // nullopt when a file is missing or damaged.
    static std::optional<CachedKeyMaterial> read(const KeySetPaths& keys);
    // The private key bytes are held in locked memory (SecretMemory); wipe
    // overwrites them and gives that memory back.
    static void wipe(CachedKeyMaterial& material);
};

} // namespace mvx

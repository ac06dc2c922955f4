#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace mvx::net {

// Key files fetched from the service. A file is replaced only once its new
// bytes are completely written: they go to a temporary file beside it that is
// then renamed over it, so a failed write leaves the old file as it was. An
// old file of the same name is destroyed by secure deletion first; a folder
// or a symbolic link in the way is left alone and the key is not written.
class CKeyFileOutput {
public:
    static constexpr unsigned kPublicKeyMode = 0444;
    static constexpr unsigned kPrivateKeyMode = 0400;

    static bool Replace(const std::string& path, const std::vector<uint8_t>& bytes, unsigned mode);
};

} // namespace mvx::net

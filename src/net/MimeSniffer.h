#pragma once

#include <cstddef>
#include <string>

namespace mvx::net {

// MIME type of the first bytes of a file, through libmagic.
class CMimeSniffer {
public:
    static constexpr size_t kSniffBytes = 256;
    static constexpr const char* kFallback = "application/octet-stream";

    // The type of the data, or the fallback when it cannot be told.
    static std::string TypeOf(const unsigned char* data, size_t size);
};

} // namespace mvx::net

#pragma once

#include "engine/IMessageDigest.h"

#include <array>
#include <vector>

namespace mvx {

// SHA-512 as published in FIPS 180-2.
class CSHA : public IMessageDigest {
public:
    static constexpr int kDigestSize = 64;
    static constexpr const char* kAddDataError = "FileDigest ERROR: in CSHA::AddData(), Data Length should be >= 0!";
    static constexpr const char* kFinalDigestError =
        "FileDigest ERROR: in CSHA::FinalDigest(), No data Added before call!";

    CSHA() { initialise(); }

    void initialise() override;
    bool addData(const void* data, long long length) override;
    bool finalDigest(uint8_t* digest) override;
    int digestSize() const override { return kDigestSize; }
    const std::string& lastError() const override { return lastError_; }

    // One-shot digest of a buffer.
    static std::array<uint8_t, kDigestSize> digestOf(const void* data, size_t length);

private:
    void compress(const uint8_t* block);

    std::array<uint64_t, 8> h_{};
    std::array<uint8_t, 128> pending_{};
    size_t pendingLength_ = 0;
    uint64_t totalLength_ = 0;  // bytes; inputs beyond 2^61 bytes are not a concern here
    bool dataAdded_ = false;
    std::string lastError_;
};

} // namespace mvx

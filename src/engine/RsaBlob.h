#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

struct evp_pkey_st;

namespace mvx {

struct EvpPkeyDeleter {
    void operator()(evp_pkey_st* key) const;
};
using EvpPkeyPtr = std::unique_ptr<evp_pkey_st, EvpPkeyDeleter>;

// Conversion between OpenSSL keys and the RSA key-exchange blob layouts kept in
// key files: PUBLICKEYBLOB (148 bytes for RSA-1024) and PRIVATEKEYBLOB (596 bytes).
class RsaBlob {
public:
    static constexpr uint8_t kPublicBlobType = 6;
    static constexpr uint8_t kPrivateBlobType = 7;
    static constexpr uint8_t kBlobVersion = 2;
    static constexpr uint32_t kKeyExchangeAlgorithm = 0xA400;
    static constexpr size_t kHeaderSize = 20;  // BLOBHEADER + RSAPUBKEY
    static constexpr size_t kPublicBlobSize1024 = 148;
    static constexpr size_t kPrivateBlobSize1024 = 596;

    // nullptr when the bytes are not a well-formed key-exchange blob.
    static EvpPkeyPtr importBlob(const uint8_t* blob, size_t length);
    static std::vector<uint8_t> exportPublic(evp_pkey_st* key);
    // Empty when the key has no private part.
    static std::vector<uint8_t> exportPrivate(evp_pkey_st* key);
    // A fresh RSA key pair; nullptr (after reporting) on failure.
    static EvpPkeyPtr generate(int bits = 1024);
    // The blob type byte (6 public, 7 private), 0 when too short.
    static uint8_t blobType(const uint8_t* blob, size_t length) { return length >= kHeaderSize ? blob[0] : 0; }
};

} // namespace mvx

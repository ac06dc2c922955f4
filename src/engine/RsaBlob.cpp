#include "engine/RsaBlob.h"

#include "engine/CryptoErrors.h"
#include "platform/LittleEndian.h"

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/param_build.h>
#include <openssl/rsa.h>

#include <cstring>

namespace mvx {

void EvpPkeyDeleter::operator()(evp_pkey_st* key) const { EVP_PKEY_free(key); }

namespace {

struct BnDeleter {
    void operator()(BIGNUM* bn) const { BN_clear_free(bn); }
};
using BnPtr = std::unique_ptr<BIGNUM, BnDeleter>;

struct ParamBldDeleter {
    void operator()(OSSL_PARAM_BLD* b) const { OSSL_PARAM_BLD_free(b); }
};
struct ParamsDeleter {
    void operator()(OSSL_PARAM* p) const { OSSL_PARAM_free(p); }
};
struct CtxDeleter {
    void operator()(EVP_PKEY_CTX* c) const { EVP_PKEY_CTX_free(c); }
};

const uint32_t kMagicPublic = 0x31415352;   // "RSA1"
const uint32_t kMagicPrivate = 0x32415352;  // "RSA2"

BnPtr bnFromLe(const uint8_t* p, size_t n) { return BnPtr(BN_lebin2bn(p, static_cast<int>(n), nullptr)); }

BnPtr getBn(EVP_PKEY* key, const char* name)
{
    BIGNUM* bn = nullptr;
    if (EVP_PKEY_get_bn_param(key, name, &bn) != 1)
        return nullptr;
    return BnPtr(bn);
}

bool putBnLe(const BIGNUM* bn, uint8_t* out, size_t n)
{
    return bn && BN_bn2lebinpad(bn, out, static_cast<int>(n)) == static_cast<int>(n);
}

void writeHeader(uint8_t* out, uint8_t type, uint32_t magic, uint32_t bits, uint32_t exponent)
{
    out[0] = type;
    out[1] = RsaBlob::kBlobVersion;
    out[2] = out[3] = 0;
    putLe32(out + 4, RsaBlob::kKeyExchangeAlgorithm);
    putLe32(out + 8, magic);
    putLe32(out + 12, bits);
    putLe32(out + 16, exponent);
}

} // namespace

EvpPkeyPtr RsaBlob::importBlob(const uint8_t* blob, size_t length)
{
    if (length < kHeaderSize)
        return nullptr;
    const uint8_t type = blob[0];
    const uint32_t alg = getLe32(blob + 4);
    const uint32_t magic = getLe32(blob + 8);
    const uint32_t bits = getLe32(blob + 12);
    const uint32_t exponent = getLe32(blob + 16);
    if (alg != kKeyExchangeAlgorithm || bits == 0 || bits % 16 != 0 || bits > 16384 || exponent == 0)
        return nullptr;
    const size_t n = bits / 8, half = bits / 16;
    const bool isPrivate = type == kPrivateBlobType && magic == kMagicPrivate;
    const bool isPublic = type == kPublicBlobType && magic == kMagicPublic;
    if (!isPrivate && !isPublic)
        return nullptr;
    const size_t expected = kHeaderSize + n + (isPrivate ? 5 * half + n : 0);
    if (length != expected)
        return nullptr;

    const uint8_t* p = blob + kHeaderSize;
    std::unique_ptr<OSSL_PARAM_BLD, ParamBldDeleter> bld(OSSL_PARAM_BLD_new());
    BnPtr modulus = bnFromLe(p, n);
    BnPtr e(BN_new());
    BN_set_word(e.get(), exponent);
    OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_N, modulus.get());
    OSSL_PARAM_BLD_push_BN(bld.get(), OSSL_PKEY_PARAM_RSA_E, e.get());
    BnPtr parts[6];
    if (isPrivate) {
        const uint8_t* q = p + n;
        const char* names[6] = {OSSL_PKEY_PARAM_RSA_FACTOR1,    OSSL_PKEY_PARAM_RSA_FACTOR2,
                                OSSL_PKEY_PARAM_RSA_EXPONENT1,  OSSL_PKEY_PARAM_RSA_EXPONENT2,
                                OSSL_PKEY_PARAM_RSA_COEFFICIENT1, OSSL_PKEY_PARAM_RSA_D};
        for (int i = 0; i < 5; ++i, q += half) {
            parts[i] = bnFromLe(q, half);
            OSSL_PARAM_BLD_push_BN(bld.get(), names[i], parts[i].get());
        }
        parts[5] = bnFromLe(q, n);
        OSSL_PARAM_BLD_push_BN(bld.get(), names[5], parts[5].get());
    }
    std::unique_ptr<OSSL_PARAM, ParamsDeleter> params(OSSL_PARAM_BLD_to_param(bld.get()));
    std::unique_ptr<EVP_PKEY_CTX, CtxDeleter> ctx(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    EVP_PKEY* key = nullptr;
    if (!params || !ctx || EVP_PKEY_fromdata_init(ctx.get()) != 1 ||
        EVP_PKEY_fromdata(ctx.get(), &key, isPrivate ? EVP_PKEY_KEYPAIR : EVP_PKEY_PUBLIC_KEY, params.get()) != 1)
        return nullptr;
    return EvpPkeyPtr(key);
}

std::vector<uint8_t> RsaBlob::exportPublic(EVP_PKEY* key)
{
    BnPtr n = getBn(key, OSSL_PKEY_PARAM_RSA_N), e = getBn(key, OSSL_PKEY_PARAM_RSA_E);
    if (!n || !e || BN_num_bytes(e.get()) > 4)
        return {};
    const int bits = EVP_PKEY_get_bits(key);
    const size_t nBytes = static_cast<size_t>(bits) / 8;
    std::vector<uint8_t> blob(kHeaderSize + nBytes);
    writeHeader(blob.data(), kPublicBlobType, kMagicPublic, static_cast<uint32_t>(bits),
                static_cast<uint32_t>(BN_get_word(e.get())));
    if (!putBnLe(n.get(), blob.data() + kHeaderSize, nBytes))
        return {};
    return blob;
}

std::vector<uint8_t> RsaBlob::exportPrivate(EVP_PKEY* key)
{
    const char* names[7] = {OSSL_PKEY_PARAM_RSA_N,         OSSL_PKEY_PARAM_RSA_FACTOR1,
                            OSSL_PKEY_PARAM_RSA_FACTOR2,   OSSL_PKEY_PARAM_RSA_EXPONENT1,
                            OSSL_PKEY_PARAM_RSA_EXPONENT2, OSSL_PKEY_PARAM_RSA_COEFFICIENT1,
                            OSSL_PKEY_PARAM_RSA_D};
    BnPtr e = getBn(key, OSSL_PKEY_PARAM_RSA_E);
    if (!e || BN_num_bytes(e.get()) > 4)
        return {};
    const int bits = EVP_PKEY_get_bits(key);
    const size_t n = static_cast<size_t>(bits) / 8, half = n / 2;
    const size_t sizes[7] = {n, half, half, half, half, half, n};
    std::vector<uint8_t> blob(kHeaderSize + n + 5 * half + n);
    writeHeader(blob.data(), kPrivateBlobType, kMagicPrivate, static_cast<uint32_t>(bits),
                static_cast<uint32_t>(BN_get_word(e.get())));
    uint8_t* out = blob.data() + kHeaderSize;
    for (int i = 0; i < 7; ++i) {
        BnPtr part = getBn(key, names[i]);
        if (!putBnLe(part.get(), out, sizes[i]))
            return {};
        out += sizes[i];
    }
    return blob;
}

EvpPkeyPtr RsaBlob::generate(int bits)
{
    std::unique_ptr<EVP_PKEY_CTX, CtxDeleter> ctx(EVP_PKEY_CTX_new_from_name(nullptr, "RSA", nullptr));
    EVP_PKEY* key = nullptr;
    if (!ctx || EVP_PKEY_keygen_init(ctx.get()) != 1 ||
        EVP_PKEY_CTX_set_rsa_keygen_bits(ctx.get(), bits) != 1 || EVP_PKEY_generate(ctx.get(), &key) != 1) {
        CryptoErrors::report("RSA key generation failed");
        return nullptr;
    }
    return EvpPkeyPtr(key);
}

} // namespace mvx

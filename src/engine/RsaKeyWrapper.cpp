#include "engine/RsaKeyWrapper.h"

#include "engine/CryptoErrors.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"

#include <openssl/core_names.h>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <openssl/rsa.h>

#include <algorithm>

namespace mvx {

namespace {

struct CtxDeleter {
    void operator()(EVP_PKEY_CTX* c) const { EVP_PKEY_CTX_free(c); }
};
using CtxPtr = std::unique_ptr<EVP_PKEY_CTX, CtxDeleter>;

// Largest blob a key file may announce: an RSA-16384 private blob is far below this.
constexpr uint32_t kMaxBlobLength = 16 * 1024;

// A wrong key must stay a failure: newer OpenSSL answers a damaged padding with
// random bytes unless implicit rejection is switched off.
void disableImplicitRejection(EVP_PKEY_CTX* ctx)
{
#ifdef OSSL_ASYM_CIPHER_PARAM_IMPLICIT_REJECTION
    unsigned int off = 0;
    OSSL_PARAM params[] = {OSSL_PARAM_construct_uint(OSSL_ASYM_CIPHER_PARAM_IMPLICIT_REJECTION, &off),
                           OSSL_PARAM_construct_end()};
    EVP_PKEY_CTX_set_params(ctx, params);
#else
    (void)ctx;
#endif
}

} // namespace

std::vector<uint8_t> RsaKeyWrapper::blobFromKeyFileBytes(std::span<const uint8_t> fileBytes)
{
    if (fileBytes.size() < 4)
        return {};
    const uint32_t length = getLe32(fileBytes.data());
    if (length == 0 || length > kMaxBlobLength || length > fileBytes.size() - 4)
        return {};
    return std::vector<uint8_t>(fileBytes.begin() + 4, fileBytes.begin() + 4 + length);
}

std::vector<uint8_t> RsaKeyWrapper::readBlobFromKeyFile(const std::string& path, bool* opened)
{
    auto bytes = readWholeFile(path, 1024 * 1024);
    if (opened)
        *opened = bytes.has_value();
    return bytes ? blobFromKeyFileBytes(*bytes) : std::vector<uint8_t>{};
}

bool RsaKeyWrapper::holdsPrivateKey(const std::string& path)
{
    std::vector<uint8_t> blob = readBlobFromKeyFile(path);
    const bool isPrivate = RsaBlob::blobType(blob.data(), blob.size()) == RsaBlob::kPrivateBlobType;
    std::fill(blob.begin(), blob.end(), 0);
    return isPrivate;
}

int RsaKeyWrapper::loadFromFile(const std::string& path)
{
    release();
    bool opened = false;
    std::vector<uint8_t> blob = readBlobFromKeyFile(path, &opened);
    if (!opened) {
        CryptoErrors::report("cannot open key file " + path);
        return 0;
    }
    return loadFromMemory(std::move(blob));
}

int RsaKeyWrapper::loadFromMemory(std::vector<uint8_t> blob)
{
    release();
    key_ = RsaBlob::importBlob(blob.data(), blob.size());
    OPENSSL_cleanse(blob.data(), blob.size());
    if (!key_) {
        CryptoErrors::report("bad key blob");
        return 0;
    }
    return 1;
}

int RsaKeyWrapper::loadShared(evp_pkey_st* key)
{
    release();
    if (!key || EVP_PKEY_up_ref(key) != 1)
        return 0;
    key_.reset(key);
    return 1;
}

int RsaKeyWrapper::encrypt(const uint8_t* data, size_t length, std::vector<uint8_t>& result)
{
    result.clear();
    if (length > kMaxBlock || !key_) {
        release();
        return 0;
    }
    CtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, key_.get(), nullptr));
    size_t outLength = 0;
    int ok = ctx && EVP_PKEY_encrypt_init(ctx.get()) == 1 &&
             EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) == 1 &&
             EVP_PKEY_encrypt(ctx.get(), nullptr, &outLength, data, length) == 1;
    if (ok) {
        result.resize(outLength);
        ok = EVP_PKEY_encrypt(ctx.get(), result.data(), &outLength, data, length) == 1;
        result.resize(ok ? outLength : 0);
    }
    release();
    if (!ok) {
        result.clear();
        CryptoErrors::report("RSA encryption failed");
        return 0;
    }
    std::reverse(result.begin(), result.end());
    return 1;
}

int RsaKeyWrapper::decrypt(const uint8_t* data, size_t length, std::vector<uint8_t>& result)
{
    result.clear();
    if (length > kMaxBlock || !key_) {
        release();
        return 0;
    }
    std::vector<uint8_t> cipher(data, data + length);
    std::reverse(cipher.begin(), cipher.end());
    CtxPtr ctx(EVP_PKEY_CTX_new_from_pkey(nullptr, key_.get(), nullptr));
    size_t outLength = 0;
    int ok = ctx && EVP_PKEY_decrypt_init(ctx.get()) == 1 &&
             EVP_PKEY_CTX_set_rsa_padding(ctx.get(), RSA_PKCS1_PADDING) == 1;
    if (ok) {
        disableImplicitRejection(ctx.get());
        ok = EVP_PKEY_decrypt(ctx.get(), nullptr, &outLength, cipher.data(), cipher.size()) == 1;
    }
    if (ok) {
        result.resize(outLength);
        ok = EVP_PKEY_decrypt(ctx.get(), result.data(), &outLength, cipher.data(), cipher.size()) == 1;
        result.resize(ok ? outLength : 0);
    }
    release();
    if (!ok) {
        result.clear();
        CryptoErrors::remember("RSA decryption failed");  // silent: the caller decides whether to show it
        return 0;
    }
    return 1;
}

} // namespace mvx

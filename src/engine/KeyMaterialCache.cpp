#include "engine/KeyMaterialCache.h"

#include "engine/RsaKeyWrapper.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>

namespace mvx {

KeyMaterialCache::KeyFile::~KeyFile()
{
    OPENSSL_cleanse(bytes.data(), bytes.size());
    OPENSSL_cleanse(blob.data(), blob.size());
}

std::shared_ptr<const KeyMaterialCache::KeyFile> KeyMaterialCache::load(const std::string& path)
{
    auto bytes = readWholeFile(path, 1024 * 1024);
    if (!bytes)
        return nullptr;
    auto file = std::make_shared<KeyFile>();
    file->bytes = std::move(*bytes);
    file->blob = RsaKeyWrapper::blobFromKeyFileBytes(file->bytes);
    if (EvpPkeyPtr key = RsaBlob::importBlob(file->blob.data(), file->blob.size()))
        file->key = std::shared_ptr<evp_pkey_st>(key.release(), EVP_PKEY_free);
    if (auto identity = IdentityBlock::fromPrivateKeyFile(file->bytes))
        file->ownerIdentity = identity->hash();
    return file;
}

std::shared_ptr<const KeyMaterialCache::KeyFile> KeyMaterialCache::keyFile(const std::string& path)
{
    const auto stamp = FileStamp::of(path);
    if (!stamp)
        return nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = files_.find(path);
        if (it != files_.end() && it->second.stamp == *stamp)
            return it->second.file;
    }
    auto file = load(path);
    if (!file)
        return nullptr;
    std::lock_guard<std::mutex> lock(mutex_);
    files_[path] = {*stamp, file};
    return file;
}

std::vector<uint8_t> KeyMaterialCache::sealedRecordOf(const std::vector<uint8_t>& file)
{
    if (file.size() < 4)
        return {};
    const uint64_t firstEnd = 4 + static_cast<uint64_t>(getLe32(file.data()));
    if (firstEnd + 4 > file.size())
        return {};
    const uint32_t length = getLe32(file.data() + firstEnd);
    if (length == 0 || firstEnd + 4 + length > file.size())
        return {};
    return std::vector<uint8_t>(file.begin() + static_cast<long>(firstEnd) + 4,
                                file.begin() + static_cast<long>(firstEnd + 4 + length));
}

std::optional<std::vector<uint8_t>> KeyMaterialCache::openedSeal(const std::string& keyFilePath,
                                                                const std::string& privateKeyPath)
{
    const auto keyStamp = FileStamp::of(keyFilePath);
    const auto privateStamp = FileStamp::of(privateKeyPath);
    if (!keyStamp || !privateStamp)
        return std::nullopt;
    const auto id = std::make_pair(keyFilePath, privateKeyPath);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = seals_.find(id);
        if (it != seals_.end() && it->second.keyStamp == *keyStamp && it->second.privateStamp == *privateStamp)
            return it->second.plain;
    }
    const auto keyFileBytes = keyFile(keyFilePath);
    const auto privateKey = keyFile(privateKeyPath);
    std::optional<std::vector<uint8_t>> plain;
    if (keyFileBytes && privateKey) {
        const auto sealed = sealedRecordOf(keyFileBytes->bytes);
        RsaKeyWrapper rsa;
        std::vector<uint8_t> opened;
        if (!sealed.empty() && sealed.size() <= RsaKeyWrapper::kMaxBlock && rsa.loadShared(privateKey->key.get()) &&
            rsa.decrypt(sealed.data(), sealed.size(), opened))
            plain = std::move(opened);
    }
    std::lock_guard<std::mutex> lock(mutex_);
    seals_[id] = {*keyStamp, *privateStamp, plain};
    return plain;
}

void KeyMaterialCache::clear()
{
    std::lock_guard<std::mutex> lock(mutex_);
    files_.clear();
    for (auto& [id, seal] : seals_)
        if (seal.plain)
            OPENSSL_cleanse(seal.plain->data(), seal.plain->size());
    seals_.clear();
}

} // namespace mvx

#include "workbench/OwnKeyMaterial.h"

#include "engine/KeyMaterialCache.h"
#include "engine/RsaKeyWrapper.h"
#include "platform/FileIo.h"
#include "workbench/BatchContext.h"

#include <openssl/crypto.h>

namespace mvx {

std::optional<CachedKeyMaterial> OwnKeyMaterial::read(const KeySetPaths& keys)
{
    if (keys.privateKeyFile.empty() || keys.selfAuthKeyFile.empty())
        return std::nullopt;
    auto privateKey = readWholeFile(keys.privateKeyFile, 64 * 1024);
    const auto selfAuth = readWholeFile(keys.selfAuthKeyFile, 64 * 1024);
    if (!privateKey || !selfAuth)
        return std::nullopt;
    CachedKeyMaterial material;
    material.privateKeyFile.assign(privateKey->begin(), privateKey->end());
    OPENSSL_cleanse(privateKey->data(), privateKey->size());
    material.selfAuthPublicBlob = RsaKeyWrapper::blobFromKeyFileBytes(*selfAuth);
    material.selfAuthRecord = KeyMaterialCache::sealedRecordOf(*selfAuth);
    if (RsaKeyWrapper::blobFromKeyFileBytes(material.privateKeyFile).empty() || material.selfAuthPublicBlob.empty() ||
        material.selfAuthRecord.empty()) {
        wipe(material);
        return std::nullopt;
    }
    return material;
}

void OwnKeyMaterial::wipe(CachedKeyMaterial& material)
{
    // Gives the locked pages back; they are overwritten on the way.
    SecretBytes().swap(material.privateKeyFile);
}

} // namespace mvx

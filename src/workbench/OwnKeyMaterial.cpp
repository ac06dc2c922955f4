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
    material.privateKeyFile = std::move(*privateKey);
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
    if (!material.privateKeyFile.empty())
        OPENSSL_cleanse(material.privateKeyFile.data(), material.privateKeyFile.size());
    material.privateKeyFile.clear();
}

} // namespace mvx

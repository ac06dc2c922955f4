// Key files: public and private key blobs, the identity of a private key
// file, and an authenticated key read against the own key set.
#include "FuzzSupport.h"

#include "engine/IdentityBlock.h"
#include "engine/RsaKeyWrapper.h"
#include "keys/CKeyManager.h"

using namespace mvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> bytes(data, data + size);
    RsaKeyWrapper::blobFromKeyFileBytes(bytes);
    IdentityBlock::fromPrivateKeyFile(bytes);
    static CKeyManager keys = [] {
        CKeyManager manager(fuzz::quietMessenger());
        manager.findOwnKeySet(fuzz::vectorPath(""), "reader.kpub", "readerPrivate.kpri");
        return manager;
    }();
    keys.readAuthenticatedKey(fuzz::writeScratch("key-auth.kpub", data, size));
    return 0;
}

// The files of a key folder: member files, personalinfo.dat and
// authhistory.dat. The first byte picks the reader.
#include "FuzzSupport.h"

#include "keys/CAuthManager.h"
#include "keys/CKeyManager.h"
#include "keys/KeyFileNames.h"

using namespace mvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t which = data[0] % 3;
    ++data;
    --size;
    if (which == 0) {
        CKeyManager::loadMemberFile(fuzz::writeScratch(KeyFileNames::kMemberFile, data, size));
    } else if (which == 1) {
        fuzz::writeScratch(KeyFileNames::kPersonalInfoFile, data, size);
        CKeyManager keys(fuzz::quietMessenger());
        keys.setKeyFolder(fuzz::scratchFolder());
        keys.readPersonalInfo();
    } else {
        CAuthManager history;
        history.load(fuzz::writeScratch("authhistory.dat", data, size));
    }
    return 0;
}

// Values.dat: the settings file read, written back and read again.
#include "FuzzSupport.h"

#include "app/CSettingsStore.h"

using namespace mvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::writeScratch(CSettingsStore::kFileName, data, size);
    const CSettingsStore store(fuzz::scratchFolder());
    const Settings settings = store.load().settings;
    if (!store.save(settings))
        return 0;
    if (store.load().settings.keyPairRoot != settings.keyPairRoot)
        __builtin_trap();  // what was read must survive being written back
    return 0;
}

// Values.dat: the settings file read, written back and read again.
#include "FuzzSupport.h"

#include "app/CSettingsStore.h"

#include <algorithm>

using namespace mvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::writeScratch(CSettingsStore::kFileName, data, size);
    const CSettingsStore store(fuzz::scratchFolder());
    const Settings settings = store.load().settings;
    if (!store.save(settings))
        return 0;
    // What was read survives being written back; only a line break inside a
    // value becomes a blank, so that it cannot start a line of its own.
    std::string expected = settings.keyPairRoot;
    std::replace_if(expected.begin(), expected.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    if (store.load().settings.keyPairRoot != expected)
        __builtin_trap();
    return 0;
}

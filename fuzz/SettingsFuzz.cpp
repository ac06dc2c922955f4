// Values.dat: the settings file read and written back.
#include "FuzzSupport.h"

#include "app/CIniFile.h"
#include "app/CSettingsStore.h"

using namespace mvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CIniFile ini;
    ini.load(fuzz::writeScratch("Values.dat", data, size));
    Settings settings = CSettingsStore::read(ini);
    CSettingsStore::write(ini, settings);
    if (CSettingsStore::read(ini).keyPairRoot != settings.keyPairRoot)
        __builtin_trap();  // what was read must survive being written back
    return 0;
}

// The history block of a real container (both layouts) with the fuzzer's
// bytes patched into its end, read as the history viewer reads it.
#include "FuzzSupport.h"

#include "engine/CArchiveHistoryMan.h"
#include "workbench/ContainerHistory.h"

using namespace mvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto bytes = fuzz::patched(fuzz::vector("attach_history.klx"), data, size);
    const std::string container = fuzz::writeScratch("h.klx", bytes.data(), bytes.size());
    static KeyMaterialCache keys;  // read and imported once for the run
    CArchiveHistoryMan history;
    if (ContainerHistory::load(container, keys, fuzz::vectorPath("reader.kpub"), fuzz::vectorPath("readerPrivate.kpri"),
                               history) == ContainerHistory::Load::Ok)
        ContainerHistory::rows(history, fuzz::quietMessenger().table());
    CArchiveHistoryMan older;
    older.readOlderLayout(container);
    return 0;
}

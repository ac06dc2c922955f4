#include "workbench/StaleOutputSweep.h"

#include "platform/StaleTemporaries.h"
#include "workbench/BatchFiles.h"

namespace mvx {

void StaleOutputSweep::before(const std::string& outputPath)
{
    const std::string folder = BatchFiles::folderOf(outputPath);
    if (swept_.insert(folder).second)
        StaleTemporaries::removeIn(folder.empty() ? std::string("./") : folder);
}

} // namespace mvx

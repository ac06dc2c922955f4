#include "workbench/FolderFlushes.h"

#include "platform/FileIo.h"

namespace mvx {

void FolderFlushes::flushAll()
{
    for (const std::string& folder : folders_)
        flushFolder(folder);
    folders_.clear();
}

} // namespace mvx

#include "workbench/FolderFlushes.h"

#include "platform/FileIo.h"

#include <fcntl.h>
#include <unistd.h>

namespace mvx {

bool FolderFlushes::flushAll()
{
    bool flushed = true;
    for (const std::string& folder : folders_) {
        FdGuard fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        flushed = fd.valid() && ::fsync(fd.get()) == 0 && flushed;
    }
    folders_.clear();
    return flushed;
}

} // namespace mvx

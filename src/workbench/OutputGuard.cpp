#include "workbench/OutputGuard.h"

#include "platform/FileIo.h"
#include "workbench/BatchFiles.h"
#include "workbench/FolderFlushes.h"

#include <cstdio>
#include <unistd.h>

namespace mvx {

OutputGuard::OutputGuard(std::string target, mode_t mode, std::string written)
    : target_(std::move(target)), temporary_(std::move(written))
{
    if (!temporary_.empty())
        return;
    FdGuard fd(createTemporaryBeside(target_, mode, temporary_));
    if (!fd.valid())
        temporary_.clear();
}

bool OutputGuard::commit(bool contentFlushed, FolderFlushes& folders)
{
    if (!ready() || committed_)
        return committed_;
    if ((!contentFlushed && !flushFile(temporary_)) || !renameFile(temporary_, target_))
        return false;
    committed_ = true;
    folders.add(BatchFiles::folderOf(target_));
    return true;
}

OutputGuard::~OutputGuard()
{
    if (ready() && !committed_)
        ::unlink(temporary_.c_str());
}

} // namespace mvx

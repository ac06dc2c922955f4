#include "workbench/OutputGuard.h"

#include "platform/FileIo.h"
#include "workbench/BatchFiles.h"
#include "workbench/FolderFlushes.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace mvx {

namespace {

bool flushFile(const std::string& path)
{
    FdGuard fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0 && fd.close();
}

// The folder entry made by a rename reaches the disk only with the folder.
bool flushFolderOf(const std::string& path)
{
    const std::string folder = BatchFiles::folderOf(path);
    FdGuard fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return fd.valid() && ::fsync(fd.get()) == 0;
}

} // namespace

OutputGuard::OutputGuard(std::string target, mode_t mode, std::string written)
    : target_(std::move(target)), temporary_(std::move(written))
{
    if (!temporary_.empty())
        return;
    FdGuard fd(createTemporaryBeside(target_, mode, temporary_));
    if (!fd.valid())
        temporary_.clear();
}

bool OutputGuard::commit(bool contentFlushed, FolderFlushes* laterFolders)
{
    if (!ready() || committed_)
        return committed_;
    if ((!contentFlushed && !flushFile(temporary_)) || std::rename(temporary_.c_str(), target_.c_str()) != 0)
        return false;
    committed_ = true;
    if (laterFolders) {
        laterFolders->add(BatchFiles::folderOf(target_));
        return true;
    }
    // The new file already carries the output's name; a failed folder flush
    // only leaves the rename less certain to survive a power cut.
    return flushFolderOf(target_);
}

OutputGuard::~OutputGuard()
{
    if (ready() && !committed_)
        ::unlink(temporary_.c_str());
}

} // namespace mvx

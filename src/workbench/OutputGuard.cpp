#include "workbench/OutputGuard.h"

#include "workbench/BatchFiles.h"

#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

OutputGuard::OutputGuard(std::string target) : target_(std::move(target))
{
    struct stat st {};
    if (::lstat(target_.c_str(), &st) != 0)
        return;
    aside_ = BatchFiles::asidePathFor(target_);
    if (std::rename(target_.c_str(), aside_.c_str()) != 0) {
        aside_.clear();
        ready_ = false;
    }
}

void OutputGuard::commit()
{
    committed_ = true;
    if (!aside_.empty())
        ::unlink(aside_.c_str());
}

OutputGuard::~OutputGuard()
{
    if (committed_ || !ready_)
        return;
    ::unlink(target_.c_str());
    if (!aside_.empty())
        std::rename(aside_.c_str(), target_.c_str());
}

} // namespace mvx

#include "platform/FileCreationTime.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace mvx {

std::optional<int64_t> fileCreationTime(const std::string& path)
{
    struct statx st {};
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME | STATX_MTIME, &st) != 0)
        return std::nullopt;
    if (st.stx_mask & STATX_BTIME)
        return static_cast<int64_t>(st.stx_btime.tv_sec);
    return static_cast<int64_t>(st.stx_mtime.tv_sec);
}

} // namespace mvx

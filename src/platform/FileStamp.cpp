#include "platform/FileStamp.h"

#include <sys/stat.h>

namespace mvx {

std::optional<FileStamp> FileStamp::of(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileStamp{static_cast<uint64_t>(st.st_ino), static_cast<uint64_t>(st.st_size),
                     static_cast<int64_t>(st.st_mtim.tv_sec), static_cast<int64_t>(st.st_mtim.tv_nsec)};
}

} // namespace mvx

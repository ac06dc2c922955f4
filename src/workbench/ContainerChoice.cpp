#include "workbench/ContainerChoice.h"

#include "platform/FileAttributes.h"

#include <cstdio>

namespace mvx {

std::vector<ContainerRow> containerRows(const std::vector<std::string>& paths)
{
    std::vector<ContainerRow> rows;
    for (const std::string& path : paths) {
        const size_t slash = path.rfind('/');
        const SystemTime t = FileAttributes::lastWriteTime(path);
        char date[48];
        std::snprintf(date, sizeof date, "%04u/%02u/%02u %02u:%02u", t.year, t.month, t.day, t.hour, t.minute);
        rows.push_back({slash == std::string::npos ? path : path.substr(slash + 1), date});
    }
    return rows;
}

} // namespace mvx

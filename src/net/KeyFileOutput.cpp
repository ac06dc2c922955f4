#include "net/KeyFileOutput.h"

#include "platform/FileIo.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx::net {

bool CKeyFileOutput::Replace(const std::string& path, const std::vector<uint8_t>& bytes, unsigned mode)
{
    std::string temporary = path + ".XXXXXX";
    FdGuard fd(::mkstemp(temporary.data()));
    if (!fd.valid())
        return false;
    const bool written = writeFully(fd.get(), bytes.data(), bytes.size()) && ::fsync(fd.get()) == 0 &&
                         ::fchmod(fd.get(), mode) == 0 && fd.close();
    if (!written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace mvx::net

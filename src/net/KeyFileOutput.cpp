#include "net/KeyFileOutput.h"

#include "platform/FileAttributes.h"
#include "platform/FileIo.h"
#include "platform/SecureDelete.h"

#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx::net {

namespace {

// An old key file is destroyed, not just unlinked, before its name is reused.
bool destroyOld(const std::string& path)
{
    if (!FileAttributes::isRegularFile(path) || FileAttributes::isSymbolicLink(path))
        return !FileAttributes::exists(path);
    FileAttributes::clearReadOnly(path);
    return SecureDelete(path) != 0;
}

} // namespace

bool CKeyFileOutput::Replace(const std::string& path, const std::vector<uint8_t>& bytes, unsigned mode)
{
    std::string temporary = path + ".XXXXXX";
    FdGuard fd(::mkstemp(temporary.data()));
    if (!fd.valid())
        return false;
    const bool written = writeFully(fd.get(), bytes.data(), bytes.size()) && ::fsync(fd.get()) == 0 &&
                         ::fchmod(fd.get(), mode) == 0 && fd.close();
    if (!written || !destroyOld(path) || std::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace mvx::net

#include "platform/SecureDelete.h"

#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/FileIo.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

uint8_t drawFillByte()
{
    std::srand(static_cast<unsigned>(Clock::unixNow()));
    return static_cast<uint8_t>(std::rand() % 255);
}

bool overwritePass(int fd, uint64_t size, uint8_t* buffer)
{
    std::memset(buffer, drawFillByte(), SecureDeleteParameters::kBufferSize);
    if (::lseek(fd, 0, SEEK_SET) != 0)
        return false;
    for (uint64_t done = 0; done < size;) {
        const size_t chunk =
            static_cast<size_t>(std::min<uint64_t>(size - done, SecureDeleteParameters::kBufferSize));
        if (!writeFully(fd, buffer, chunk))
            return false;
        done += chunk;
    }
    return true;
}

} // namespace

int SecureDelete(const std::string& path)
{
    if (FileAttributes::exists(path) && FileAttributes::isReadOnly(path))
        return 0;
    FdGuard fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_DSYNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.valid())
        return 0;
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return 0;
    // The whole 64-bit length is overwritten, not only its low 32 bits.
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    if (size > 0) {
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[SecureDeleteParameters::kBufferSize]);
        for (int pass = 0; pass < SecureDeleteParameters::kPasses; ++pass)
            if (!overwritePass(fd.get(), size, buffer.get()))
                return 0;
    }
    if (!fd.close())
        return 0;
    return ::unlink(path.c_str()) == 0 ? 1 : 0;
}

} // namespace mvx

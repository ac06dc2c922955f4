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

constexpr size_t kDirectAlignment = 4096;

// Full chunks go past the page cache when the file system allows it: the
// write-through then costs one device write instead of a copy and a flush.
// A last chunk of odd size is written through the cache, still write-through.
void setDirect(int fd, bool direct)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, direct ? (flags | O_DIRECT) : (flags & ~O_DIRECT));
}

bool writeChunk(int fd, const uint8_t* buffer, size_t chunk, uint64_t offset)
{
    const bool aligned = chunk % kDirectAlignment == 0;
    setDirect(fd, aligned);
    if (pwriteFully(fd, buffer, chunk, offset))
        return true;
    // Some file systems refuse direct writes: write through the cache instead.
    setDirect(fd, false);
    return aligned && pwriteFully(fd, buffer, chunk, offset);
}

bool overwritePass(int fd, uint64_t size, uint8_t* buffer)
{
    std::memset(buffer, drawFillByte(), SecureDeleteParameters::kBufferSize);
    for (uint64_t done = 0; done < size;) {
        const size_t chunk =
            static_cast<size_t>(std::min<uint64_t>(size - done, SecureDeleteParameters::kBufferSize));
        if (!writeChunk(fd, buffer, chunk, done))
            return false;
        done += chunk;
    }
    return true;
}

struct AlignedFree {
    void operator()(uint8_t* p) const { std::free(p); }
};

} // namespace

int SecureDelete(const std::string& path)
{
    if (FileAttributes::exists(path) && FileAttributes::isReadOnly(path))
        return 0;
    // Non-blocking, so that a FIFO without a reader cannot hold the caller.
    FdGuard fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_DSYNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600));
    if (!fd.valid())
        return 0;
    struct stat st {};
    if (fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return SecureDeleteResult::kFailed;
    if (st.st_nlink > 1) {
        fd.close();
        return ::unlink(path.c_str()) == 0 ? SecureDeleteResult::kNameRemovedOnly : SecureDeleteResult::kFailed;
    }
    // The whole 64-bit length is overwritten, not only its low 32 bits.
    const uint64_t size = static_cast<uint64_t>(st.st_size);
    if (size > 0) {
        static_assert(SecureDeleteParameters::kBufferSize % kDirectAlignment == 0);
        std::unique_ptr<uint8_t, AlignedFree> buffer(
            static_cast<uint8_t*>(std::aligned_alloc(kDirectAlignment, SecureDeleteParameters::kBufferSize)));
        if (!buffer)
            return 0;
        for (int pass = 0; pass < SecureDeleteParameters::kPasses; ++pass)
            if (!overwritePass(fd.get(), size, buffer.get()))
                return 0;
    }
    if (!fd.close())
        return SecureDeleteResult::kFailed;
    return ::unlink(path.c_str()) == 0 ? SecureDeleteResult::kDestroyed : SecureDeleteResult::kFailed;
}

} // namespace mvx

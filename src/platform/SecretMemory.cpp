#include "platform/SecretMemory.h"

#include <cstring>
#include <mutex>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace mvx {

namespace {

std::mutex heldLock;
size_t heldBlocks = 0;
int dumpableBefore = 1;

size_t pagesFor(size_t bytes)
{
    const size_t page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    return (bytes == 0 ? 1 : (bytes + page - 1) / page) * page;
}

} // namespace

void* SecretMemory::allocate(size_t bytes)
{
    const size_t length = pagesFor(bytes);
    void* block = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED)
        throw std::bad_alloc();
    // Past RLIMIT_MEMLOCK the pages stay unlocked: the key is still needed.
    [[maybe_unused]] const int locked = ::mlock(block, length);
    ::madvise(block, length, MADV_DONTDUMP);
    std::lock_guard lock(heldLock);
    if (heldBlocks++ == 0) {
        dumpableBefore = ::prctl(PR_GET_DUMPABLE, 0, 0, 0, 0);
        ::prctl(PR_SET_DUMPABLE, 0, 0, 0, 0);
    }
    return block;
}

void SecretMemory::release(void* block, size_t bytes)
{
    if (!block)
        return;
    const size_t length = pagesFor(bytes);
    ::explicit_bzero(block, length);
    ::munlock(block, length);
    ::munmap(block, length);
    std::lock_guard lock(heldLock);
    if (--heldBlocks == 0 && dumpableBefore == 1)
        ::prctl(PR_SET_DUMPABLE, 1, 0, 0, 0);
}

size_t SecretMemory::held()
{
    std::lock_guard lock(heldLock);
    return heldBlocks;
}

void wipeText(std::string& text)
{
    ::explicit_bzero(text.data(), text.capacity());
    text.clear();
}

} // namespace mvx

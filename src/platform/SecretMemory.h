#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <string>
#include <vector>

namespace mvx {

// Memory for key material. Every block gets pages of its own that are locked
// in RAM where RLIMIT_MEMLOCK allows (never written to swap), left out of core
// dumps, and overwritten before they are given back. While any block is held
// the process is not dumpable: no core file, and other processes of the same
// user cannot attach to it with ptrace (where the kernel's ptrace scope allows).
class SecretMemory {
public:
    // Throws std::bad_alloc when no pages are left.
    static void* allocate(size_t bytes);
    static void release(void* block, size_t bytes);
    // Blocks held now.
    static size_t held();
};

template <class T>
struct SecretAllocator {
    using value_type = T;
    SecretAllocator() = default;
    template <class U>
    SecretAllocator(const SecretAllocator<U>&) noexcept
    {
    }
    T* allocate(size_t count) { return static_cast<T*>(SecretMemory::allocate(count * sizeof(T))); }
    void deallocate(T* block, size_t count) noexcept { SecretMemory::release(block, count * sizeof(T)); }
    template <class U>
    bool operator==(const SecretAllocator<U>&) const noexcept
    {
        return true;
    }
};

using SecretBytes = std::vector<uint8_t, SecretAllocator<uint8_t>>;

// Overwrites a text's whole buffer (a password, say) and empties it.
void wipeText(std::string& text);

// Overwrites a text when the scope ends.
class WipeOnExit {
public:
    explicit WipeOnExit(std::string& text) : text_(text) {}
    ~WipeOnExit() { wipeText(text_); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    std::string& text_;
};

} // namespace mvx

// An encoding works in the encoder's own buffers: no heap allocation at all.
#include "barcode/CQREncoder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t size)
{
    if (counting)
        ++allocations;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) { return allocate(size); }
void* operator new[](std::size_t size) { return allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace mvx {
namespace {

TEST(QrAllocation, EncodingsAllocateNothing)
{
    auto encoder = std::make_unique<CQREncoder>();
    const std::string texts[] = {
        "0123456789",
        "HELLO WORLD",
        "\x8A\xBF\x8E\x9A mixed text 12345678 ABC",
        std::string(2331, 'w'),
    };
    for (const std::string& text : texts) {
        allocations = 0;
        counting = true;
        const bool encoded =
            encoder->encode(CQREncoder::LevelM, 0, true, -1, text.data(), static_cast<int>(text.size()));
        counting = false;
        EXPECT_TRUE(encoded);
        EXPECT_EQ(allocations, 0) << text.size() << " bytes";
    }
}

} // namespace
} // namespace mvx

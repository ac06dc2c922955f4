#include "net/MimeSniffer.h"

#include <magic.h>

#include <memory>

namespace mvx::net {

namespace {

struct MagicCloser {
    void operator()(magic_set* cookie) const { magic_close(cookie); }
};
using MagicCookie = std::unique_ptr<magic_set, MagicCloser>;

// One loaded database per thread; libmagic cookies must not be shared between threads.
magic_set* threadCookie()
{
    thread_local MagicCookie cookie = [] {
        MagicCookie made(magic_open(MAGIC_MIME_TYPE | MAGIC_ERROR));
        if (made && magic_load(made.get(), nullptr) != 0)
            made.reset();
        return made;
    }();
    return cookie.get();
}

} // namespace

std::string CMimeSniffer::TypeOf(const unsigned char* data, size_t size)
{
    if (size == 0)
        return kFallback;
    magic_set* cookie = threadCookie();
    if (!cookie)
        return kFallback;
    const char* type = magic_buffer(cookie, data, size);
    if (!type || *type == '\0')
        return kFallback;
    return type;
}

} // namespace mvx::net

#include "platform/MimeTypeCookie.h"

#include <magic.h>

#include <memory>

namespace mvx {

namespace {

struct MagicCloser {
    void operator()(magic_set* cookie) const { magic_close(cookie); }
};
using MagicCookie = std::unique_ptr<magic_set, MagicCloser>;

} // namespace

magic_set* mimeTypeCookie()
{
    thread_local MagicCookie cookie = [] {
        MagicCookie made(magic_open(MAGIC_MIME_TYPE | MAGIC_SYMLINK | MAGIC_ERROR));
        if (made && magic_load(made.get(), nullptr) != 0)
            made.reset();
        return made;
    }();
    return cookie.get();
}

} // namespace mvx

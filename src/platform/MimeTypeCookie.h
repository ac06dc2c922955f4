#pragma once

struct magic_set;

namespace mvx {

// The libmagic database for MIME types, loaded once per thread (cookies must
// not be shared between threads); null when it cannot be loaded.
magic_set* mimeTypeCookie();

} // namespace mvx

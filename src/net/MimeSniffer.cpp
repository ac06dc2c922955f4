#include "net/MimeSniffer.h"

#include "platform/MimeTypeCookie.h"

#include <magic.h>

namespace mvx::net {

std::string CMimeSniffer::TypeOf(const unsigned char* data, size_t size)
{
    if (size == 0)
        return kFallback;
    magic_set* cookie = mimeTypeCookie();
    if (!cookie)
        return kFallback;
    const char* type = magic_buffer(cookie, data, size);
    if (!type || *type == '\0')
        return kFallback;
    return type;
}

} // namespace mvx::net

#include "net/HttpResponse.h"

#include <algorithm>
#include <cstring>

namespace mvx::net {

size_t CHttpResponseT::ReadContent(char* buffer, size_t size)
{
    const size_t count = std::min(size, m_body.size() - m_readPos);
    if (count > 0)
        std::memcpy(buffer, m_body.data() + m_readPos, count);
    m_readPos += count;
    return count;
}

} // namespace mvx::net

#pragma once

#include <cstdint>
#include <string>

namespace mvx::net {

// The answer to a request: status, announced length and the body, read in pieces.
class CHttpResponseT {
public:
    CHttpResponseT(long status, int64_t contentLength, std::string body)
        : m_status(status), m_contentLength(contentLength), m_body(std::move(body))
    {
    }

    long GetStatus() const { return m_status; }
    // The Content-Length the server announced, or -1 when it announced none.
    int64_t GetContentLength() const { return m_contentLength; }
    // Copies up to size bytes of the body not read yet; 0 at the end.
    size_t ReadContent(char* buffer, size_t size);

private:
    long m_status;
    int64_t m_contentLength;
    std::string m_body;
    size_t m_readPos = 0;
};

} // namespace mvx::net

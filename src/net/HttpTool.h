#pragma once

#include "net/HttpResponse.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace mvx::net {

// The HTTP transport under the client: one request over libcurl whose body
// is handed over a piece at a time. TLS peers are always verified; the
// environment variable MORVANEX_CA_FILE adds a CA certificate file. Only
// HTTPS is spoken, since requests carry the account's password. Every
// request asks caches not to answer it. Answers larger than
// kMaxResponseBytes are refused, so a hostile server cannot exhaust memory.
class CHttpToolA {
public:
    static constexpr size_t kMaxResponseBytes = 4u * 1024u * 1024u;

    CHttpToolA();
    ~CHttpToolA();
    CHttpToolA(const CHttpToolA&) = delete;
    CHttpToolA& operator=(const CHttpToolA&) = delete;

    // Starts a POST of a body of contentLength bytes: connects and sends the headers.
    void OpenRequest(const std::string& url, const std::string& userAgent, const std::string& contentType,
                     uint64_t contentLength);
    // Hands body bytes to the transfer and sends them.
    void WriteBody(std::string_view data);
    // True when the transfer has ended (the server may answer before the whole body was sent).
    bool Finished() const;
    // Ends the body, waits for the answer and returns it.
    CHttpResponseT EndRequest();

    // A plain GET.
    static CHttpResponseT Get(const std::string& url, const std::string& userAgent);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace mvx::net

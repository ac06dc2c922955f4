#pragma once

#include "net/HttpResponse.h"

#include <atomic>
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
// Every request has an overall time limit (a base plus what the body needs
// at the slowest rate accepted), so a server that drips its answer cannot
// hold the program, and a stop flag ends a request at once.
class CHttpToolA {
public:
    static constexpr size_t kMaxResponseBytes = 4u * 1024u * 1024u;
    static constexpr long kBaseTimeLimitSeconds = 300;
    static constexpr long kSlowestBytesPerSecond = 16 * 1024;

    // The limits of the requests started afterwards (tests shorten them).
    static void SetTimeLimit(long baseSeconds, long slowestBytesPerSecond);
    // The overall limit of a request whose body has bodyBytes bytes.
    static long TimeLimitFor(uint64_t bodyBytes);

    CHttpToolA();
    ~CHttpToolA();
    CHttpToolA(const CHttpToolA&) = delete;
    CHttpToolA& operator=(const CHttpToolA&) = delete;

    // A flag another thread may set to end the request (it then fails as a transfer error).
    void SetStopFlag(const std::atomic<bool>* stop);
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
    static CHttpResponseT Get(const std::string& url, const std::string& userAgent,
                              const std::atomic<bool>* stop = nullptr);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace mvx::net

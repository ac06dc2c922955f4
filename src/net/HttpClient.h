#pragma once

#include "net/HttpClientMap.h"
#include "net/HttpPostStat.h"
#include "net/HttpResponse.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace mvx::net {

class CHttpPostBody;
class CHttpToolA;

// The HTTP client of the web service requests: a parameter map, a post in
// form mode (URL-encoded) or upload mode (multipart/form-data with files),
// and Proceed, which sends the body a piece at a time and finally returns
// the answer. One thread uses a client.
class CHttpClientT {
public:
    static constexpr const char* kFormContentType = "application/x-www-form-urlencoded";

    // Boundary from a fresh random GUID.
    CHttpClientT();
    // A fixed boundary (tests compare bodies byte for byte).
    explicit CHttpClientT(std::string boundary);
    ~CHttpClientT();
    CHttpClientT(const CHttpClientT&) = delete;
    CHttpClientT& operator=(const CHttpClientT&) = delete;

    void AddParam(const std::string& name, const std::string& value, bool isFile = false);
    void ClearParam();
    const CHttpClientMapT& Params() const { return m_params; }

    void SetUserAgent(std::string userAgent) { m_userAgent = std::move(userAgent); }
    // A flag another thread may set to end the request under way.
    void SetStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }
    // Texts are sent as they are unless UTF-8 mode is on, which checks them.
    void SetUseUtf8(bool on) { m_utf8 = on; }

    void BeginPost(const std::string& url);
    void BeginUpload(const std::string& url);
    // Sends at most nDesired body bytes; the answer once the body is complete.
    std::optional<CHttpResponseT> Proceed(size_t nDesired);
    bool IsPostContextActive() const;
    const CHttpPostStatT& QueryPostStat() const { return m_stat; }

    const std::string& Boundary() const { return m_boundary; }
    std::string UploadContentType() const { return "multipart/form-data; boundary=" + m_boundary; }

    // The boundary text of a GUID given as its 16 bytes in memory order.
    static std::string MakeBoundary(const std::array<unsigned char, 16>& guid);
    static std::string NewBoundary();
    // The MIME type of a file from its first bytes; "application/octet-stream" when unknown.
    static std::string GetMimeType(const std::string& path);

private:
    struct PostContext;

    void requireIdle(const char* method) const;
    void begin(const std::string& url, bool upload);
    std::optional<CHttpResponseT> proceedContext(size_t nDesired);
    void releaseContext();

    std::string m_boundary;
    std::string m_userAgent;
    const std::atomic<bool>* m_stop = nullptr;
    bool m_utf8 = false;
    CHttpClientMapT m_params;
    CHttpPostStatT m_stat;
    std::unique_ptr<PostContext> m_context;
};

} // namespace mvx::net

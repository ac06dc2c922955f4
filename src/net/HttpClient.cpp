#include "net/HttpClient.h"

#include "net/HttpClientException.h"
#include "net/HttpPostBody.h"
#include "net/HttpTool.h"
#include "net/MimeSniffer.h"

#include <openssl/rand.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace mvx::net {

struct CHttpClientT::PostContext {
    bool upload;
    CHttpPostBody body;
    CHttpToolA tool;
};

CHttpClientT::CHttpClientT() : m_boundary(NewBoundary()) {}

CHttpClientT::CHttpClientT(std::string boundary) : m_boundary(std::move(boundary)) {}

CHttpClientT::~CHttpClientT() = default;

std::string CHttpClientT::MakeBoundary(const std::array<unsigned char, 16>& g)
{
    const unsigned data1 = unsigned(g[0]) | unsigned(g[1]) << 8 | unsigned(g[2]) << 16 | unsigned(g[3]) << 24;
    const unsigned data2 = unsigned(g[4]) | unsigned(g[5]) << 8;
    const unsigned data3 = unsigned(g[6]) | unsigned(g[7]) << 8;
    char text[64];
    std::snprintf(text, sizeof text, "----QORVU-%.08x%.04x%.04x%.02x%.02x%.02x%.02x%.02x%.02x%.02x%.02x-", data1, data2,
                  data3, g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
    return text;
}

std::string CHttpClientT::NewBoundary()
{
    std::array<unsigned char, 16> guid{};
    if (RAND_bytes(guid.data(), static_cast<int>(guid.size())) != 1)
        throw httpclientexceptionA::numbered(httpclientexceptionA::errTransfer, "no random bytes for the boundary");
    // Mark it as a random (version 4) GUID.
    guid[7] = static_cast<unsigned char>((guid[7] & 0x0F) | 0x40);
    guid[8] = static_cast<unsigned char>((guid[8] & 0x3F) | 0x80);
    return MakeBoundary(guid);
}

std::string CHttpClientT::GetMimeType(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return CMimeSniffer::kFallback;
    unsigned char head[CMimeSniffer::kSniffBytes];
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    ::close(fd);
    if (got <= 0)
        return CMimeSniffer::kFallback;
    return CMimeSniffer::TypeOf(head, static_cast<size_t>(got));
}

bool CHttpClientT::IsPostContextActive() const { return m_context != nullptr; }

void CHttpClientT::requireIdle(const char* method) const
{
    if (m_context)
        throw httpclientexceptionA::notWhilePosting(method);
}

void CHttpClientT::AddParam(const std::string& name, const std::string& value, bool isFile)
{
    requireIdle("AddParam");
    if (name.empty())
        throw httpclientexceptionA::emptyArgument("CHttpClientT::AddParam", "szName");
    if (isFile && value.empty())
        throw httpclientexceptionA::emptyArgument("CHttpClientT::AddParam", "szValue");
    m_params.Add(name, value, isFile);
}

void CHttpClientT::ClearParam()
{
    requireIdle("ClearParam");
    m_params.Clear();
}

void CHttpClientT::BeginPost(const std::string& url)
{
    requireIdle("BeginPost");
    begin(url, false);
}

void CHttpClientT::BeginUpload(const std::string& url)
{
    requireIdle("BeginUpload");
    begin(url, true);
}

void CHttpClientT::begin(const std::string& url, bool upload)
{
    if (url.empty())
        throw httpclientexceptionA::emptyArgument(upload ? "CHttpClientT::BeginUpload" : "CHttpClientT::BeginPost",
                                                  "szUrl");
    CHttpPostBody body = upload ? CHttpPostBody::Multipart(m_params, m_boundary, m_utf8)
                                : CHttpPostBody::Form(m_params, m_utf8);
    m_context.reset(new PostContext{upload, std::move(body), {}});
    m_stat.Start(m_context->body.TotalBytes(), m_context->body.ParamCount(), m_context->body.FileCount());
    try {
        m_context->tool.SetStopFlag(m_stop);
        m_context->tool.OpenRequest(url, m_userAgent, upload ? UploadContentType() : kFormContentType,
                                    m_context->body.TotalBytes());
    } catch (...) {
        releaseContext();
        throw;
    }
}

std::optional<CHttpResponseT> CHttpClientT::Proceed(size_t nDesired)
{
    if (!m_context)
        throw httpclientexceptionA::contextNotActive("CHttpClientT::Proceed");
    try {
        if (nDesired == 0)
            throw httpclientexceptionA::zeroArgument(
                m_context->upload ? "CHttpClientT::_ProceedUploadContext" : "CHttpClientT::_ProceedPostContext",
                "nDesired");
        return proceedContext(nDesired);
    } catch (...) {
        releaseContext();
        throw;
    }
}

std::optional<CHttpResponseT> CHttpClientT::proceedContext(size_t nDesired)
{
    PostContext& context = *m_context;
    if (!context.body.Done() && !context.tool.Finished()) {
        context.tool.WriteBody(context.body.Next(nDesired, m_stat));
        if (!context.tool.Finished())
            return std::nullopt;
    }
    std::optional<CHttpResponseT> response(context.tool.EndRequest());
    releaseContext();
    return response;
}

void CHttpClientT::releaseContext()
{
    m_context.reset();
    m_stat.Stop();
}

} // namespace mvx::net

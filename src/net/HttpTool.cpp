#include "net/HttpTool.h"

#include "net/HttpClientException.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/stat.h>

namespace mvx::net {

namespace {

constexpr long kConnectTimeoutSeconds = 30;
constexpr long kLowSpeedTimeSeconds = 120;
constexpr int kPollMilliseconds = 1000;
constexpr const char* kStoppedText = "the request was stopped";

std::atomic<long> s_baseSeconds{CHttpToolA::kBaseTimeLimitSeconds};
std::atomic<long> s_slowestBytesPerSecond{CHttpToolA::kSlowestBytesPerSecond};

bool stopRequested(const std::atomic<bool>* stop) { return stop && stop->load(); }

int checkStop(void* userdata, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    return stopRequested(static_cast<const std::atomic<bool>*>(userdata)) ? 1 : 0;
}

void globalInit()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

void checkArgument(const char* method, const char* argument, const std::string& value)
{
    if (value.empty())
        throw httpclientexceptionA::emptyArgument(std::string("CHttpToolA::") + method, argument);
}

struct BodyBuffer {
    std::string data;
    bool overflow = false;
};

size_t appendBody(char* ptr, size_t size, size_t count, void* userdata)
{
    auto* body = static_cast<BodyBuffer*>(userdata);
    const size_t bytes = size * count;
    if (body->data.size() + bytes > CHttpToolA::kMaxResponseBytes) {
        body->overflow = true;
        return 0; // aborts the transfer
    }
    body->data.append(ptr, bytes);
    return bytes;
}

struct CurlHandle {
    CURL* easy = nullptr;
    curl_slist* headers = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};
    BodyBuffer response;
    const std::atomic<bool>* stop = nullptr;

    CurlHandle()
    {
        globalInit();
        easy = curl_easy_init();
        if (!easy)
            throw httpclientexceptionA::numbered(httpclientexceptionA::errTransfer, "curl_easy_init failed");
    }
    ~CurlHandle()
    {
        curl_easy_cleanup(easy);
        curl_slist_free_all(headers);
    }
    CurlHandle(const CurlHandle&) = delete;
    CurlHandle& operator=(const CurlHandle&) = delete;

    void addHeader(const std::string& line) { headers = curl_slist_append(headers, line.c_str()); }

    void configure(const std::string& url, const std::string& userAgent)
    {
        curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
        curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
        curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
        if (!userAgent.empty())
            curl_easy_setopt(easy, CURLOPT_USERAGENT, userAgent.c_str());
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
        curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
        const char* caFile = std::getenv("MORVANEX_CA_FILE");
        struct stat st {};
        if (caFile && *caFile && ::stat(caFile, &st) == 0) {
            curl_easy_setopt(easy, CURLOPT_CAINFO, caFile);
            if (::stat("/etc/ssl/certs", &st) == 0)
                curl_easy_setopt(easy, CURLOPT_CAPATH, "/etc/ssl/certs");
        }
        curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, kLowSpeedTimeSeconds);
        curl_easy_setopt(easy, CURLOPT_TIMEOUT, CHttpToolA::TimeLimitFor(0));
        curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &checkStop);
        curl_easy_setopt(easy, CURLOPT_XFERINFODATA, stop);
        curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorText);
        curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendBody);
        curl_easy_setopt(easy, CURLOPT_WRITEDATA, &response);
        // What reload, no-cache-write and pragma no-cache ask of caches.
        addHeader("Cache-Control: no-cache");
        addHeader("Pragma: no-cache");
    }

    void applyHeaders() { curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers); }

    [[noreturn]] void fail(CURLcode code) const
    {
        if (response.overflow)
            throw httpclientexceptionA::numbered(httpclientexceptionA::errResponseTooLarge,
                                                 "the answer is larger than the client accepts");
        if (code == CURLE_ABORTED_BY_CALLBACK && stopRequested(stop))
            throw httpclientexceptionA::numbered(httpclientexceptionA::errTransfer, kStoppedText);
        const std::string detail = errorText[0] ? errorText : curl_easy_strerror(code);
        throw httpclientexceptionA::numbered(httpclientexceptionA::errTransfer, detail);
    }

    CHttpResponseT takeResponse()
    {
        long status = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        curl_off_t length = -1;
        curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        return CHttpResponseT(status, static_cast<int64_t>(length), std::move(response.data));
    }
};

} // namespace

struct CHttpToolA::Impl {
    CurlHandle handle;
    CURLM* multi = nullptr;
    bool added = false;
    std::string pending;       // body bytes handed over but not yet taken by the transfer
    size_t pendingPos = 0;
    bool bodyEnded = false;
    bool paused = false;
    bool bodyWanted = false;
    bool finished = false;
    CURLcode result = CURLE_OK;

    ~Impl()
    {
        if (added)
            curl_multi_remove_handle(multi, handle.easy);
        if (multi)
            curl_multi_cleanup(multi);
    }

    static size_t readBody(char* buffer, size_t size, size_t count, void* userdata)
    {
        auto* self = static_cast<Impl*>(userdata);
        self->bodyWanted = true;
        const size_t available = self->pending.size() - self->pendingPos;
        if (available == 0) {
            if (self->bodyEnded)
                return 0;
            self->paused = true;
            return CURL_READFUNC_PAUSE;
        }
        const size_t bytes = std::min(size * count, available);
        std::memcpy(buffer, self->pending.data() + self->pendingPos, bytes);
        self->pendingPos += bytes;
        return bytes;
    }

    void resume()
    {
        if (paused) {
            paused = false;
            curl_easy_pause(handle.easy, CURLPAUSE_CONT);
        }
    }

    void collectResult()
    {
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == handle.easy) {
                finished = true;
                result = message->data.result;
            }
        }
    }

    template <typename Done>
    void driveUntil(Done done)
    {
        for (;;) {
            int running = 0;
            const CURLMcode code = curl_multi_perform(multi, &running);
            if (code != CURLM_OK)
                throw httpclientexceptionA::numbered(httpclientexceptionA::errTransfer, curl_multi_strerror(code));
            collectResult();
            if (finished || done())
                return;
            if (stopRequested(handle.stop))
                throw httpclientexceptionA::numbered(httpclientexceptionA::errTransfer, kStoppedText);
            curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
        }
    }
};

CHttpToolA::CHttpToolA() : m_impl(std::make_unique<Impl>()) {}

CHttpToolA::~CHttpToolA() = default;

void CHttpToolA::SetTimeLimit(long baseSeconds, long slowestBytesPerSecond)
{
    s_baseSeconds = baseSeconds;
    s_slowestBytesPerSecond = slowestBytesPerSecond > 0 ? slowestBytesPerSecond : 1;
}

long CHttpToolA::TimeLimitFor(uint64_t bodyBytes)
{
    const uint64_t forBody = bodyBytes / static_cast<uint64_t>(s_slowestBytesPerSecond.load());
    constexpr uint64_t kMost = 7 * 24 * 3600;
    return s_baseSeconds.load() + static_cast<long>(std::min(forBody, kMost));
}

void CHttpToolA::SetStopFlag(const std::atomic<bool>* stop) { m_impl->handle.stop = stop; }

void CHttpToolA::OpenRequest(const std::string& url, const std::string& userAgent, const std::string& contentType,
                             uint64_t contentLength)
{
    checkArgument("OpenRequest", "szObjectName", url);
    checkArgument("OpenRequest", "szContentType", contentType);
    Impl& impl = *m_impl;
    impl.handle.configure(url, userAgent);
    curl_easy_setopt(impl.handle.easy, CURLOPT_TIMEOUT, TimeLimitFor(contentLength));
    impl.handle.addHeader("Content-Type: " + contentType);
    impl.handle.addHeader("Expect:");
    impl.handle.applyHeaders();
    CURL* easy = impl.handle.easy;
    curl_easy_setopt(easy, CURLOPT_POST, 1L);
    curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(contentLength));
    curl_easy_setopt(easy, CURLOPT_READFUNCTION, &Impl::readBody);
    curl_easy_setopt(easy, CURLOPT_READDATA, &impl);
    impl.multi = curl_multi_init();
    if (!impl.multi || curl_multi_add_handle(impl.multi, easy) != CURLM_OK)
        throw httpclientexceptionA::numbered(httpclientexceptionA::errTransfer, "curl_multi_init failed");
    impl.added = true;
    if (contentLength > 0)
        impl.driveUntil([&] { return impl.bodyWanted; });
    if (impl.finished && impl.result != CURLE_OK)
        impl.handle.fail(impl.result);
}

void CHttpToolA::WriteBody(std::string_view data)
{
    Impl& impl = *m_impl;
    if (impl.finished || data.empty())
        return;
    impl.pending.assign(data);
    impl.pendingPos = 0;
    impl.resume();
    impl.driveUntil([&] { return impl.pendingPos >= impl.pending.size(); });
    if (impl.finished && impl.result != CURLE_OK)
        impl.handle.fail(impl.result);
}

bool CHttpToolA::Finished() const { return m_impl->finished; }

CHttpResponseT CHttpToolA::EndRequest()
{
    Impl& impl = *m_impl;
    impl.bodyEnded = true;
    impl.resume();
    if (!impl.finished)
        impl.driveUntil([] { return false; });
    if (impl.result != CURLE_OK)
        impl.handle.fail(impl.result);
    return impl.handle.takeResponse();
}

CHttpResponseT CHttpToolA::Get(const std::string& url, const std::string& userAgent, const std::atomic<bool>* stop)
{
    checkArgument("OpenUrl", "szUrl", url);
    CurlHandle handle;
    handle.stop = stop;
    handle.configure(url, userAgent);
    handle.applyHeaders();
    curl_easy_setopt(handle.easy, CURLOPT_HTTPGET, 1L);
    const CURLcode code = curl_easy_perform(handle.easy);
    if (code != CURLE_OK)
        handle.fail(code);
    return handle.takeResponse();
}

} // namespace mvx::net

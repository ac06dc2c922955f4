#include "net/HttpPostBody.h"

#include "net/HttpClientException.h"
#include "net/HttpEncoder.h"
#include "net/MimeSniffer.h"
#include "platform/SecretMemory.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx::net {

namespace {

struct OpenedFile {
    int fd;
    uint64_t size;
    std::string mimeType;
};

std::string errnoText() { return std::strerror(errno); }

OpenedFile openUpload(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw httpclientexceptionA::numbered(httpclientexceptionA::errFileOpen, path + ": " + errnoText());
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string detail = path + ": " + (S_ISREG(st.st_mode) ? errnoText() : "not a regular file");
        ::close(fd);
        throw httpclientexceptionA::numbered(httpclientexceptionA::errFileOpen, detail);
    }
    unsigned char head[CMimeSniffer::kSniffBytes];
    const ssize_t got = ::pread(fd, head, sizeof head, 0);
    if (got < 0) {
        const std::string detail = path + ": " + errnoText();
        ::close(fd);
        throw httpclientexceptionA::numbered(httpclientexceptionA::errReadFile, detail);
    }
    return {fd, static_cast<uint64_t>(st.st_size), CMimeSniffer::TypeOf(head, static_cast<size_t>(got))};
}

std::string encodeText(const std::string& text, bool utf8)
{
    return utf8 ? CHttpEncoderA::Utf8Encode(text) : text;
}

} // namespace

std::string CHttpPostBody::QuoteSafe(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '"')
            out += "%22";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
    return out;
}

CHttpPostBody::CHttpPostBody(CHttpPostBody&& other) noexcept
    : m_segments(std::move(other.m_segments)),
      m_totalBytes(other.m_totalBytes),
      m_paramCount(other.m_paramCount),
      m_fileCount(other.m_fileCount),
      m_segment(other.m_segment),
      m_segmentPos(other.m_segmentPos),
      m_fileBuffer(std::move(other.m_fileBuffer)),
      m_bufferPos(other.m_bufferPos),
      m_segmentEntered(other.m_segmentEntered)
{
    other.m_segments.clear();
}

CHttpPostBody::~CHttpPostBody()
{
    for (auto& segment : m_segments) {
        if (segment.fd >= 0)
            ::close(segment.fd);
        wipeText(segment.text);  // a form's text may hold the account's password
    }
}

void CHttpPostBody::addText(std::string text, int param)
{
    Segment segment;
    segment.size = text.size();
    segment.text = std::move(text);
    segment.param = param;
    m_totalBytes += segment.size;
    m_segments.push_back(std::move(segment));
}

void CHttpPostBody::addMultipartParam(const CHttpClientMapT::Entry& entry, int index, const std::string& boundary,
                                      bool utf8)
{
    std::string header = "--" + boundary + "\r\n" + "Content-Disposition: form-data; name=\"" +
                         QuoteSafe(encodeText(entry.name, utf8)) + "\"";
    Segment data;
    data.param = index;
    data.isData = true;
    data.isFile = entry.isFile;
    if (entry.isFile) {
        const OpenedFile file = openUpload(entry.value);
        data.fd = file.fd;
        data.size = file.size;
        ++m_fileCount;
        header += "; filename=\"" + QuoteSafe(encodeText(entry.value, utf8)) + "\"\r\nContent-Type: " +
                  file.mimeType + "\r\n\r\n";
    } else {
        data.text = encodeText(entry.value, utf8);
        data.size = data.text.size();
        header += "\r\n\r\n";
    }
    addText(std::move(header), index);
    m_segments.back().opensParam = true;
    m_segments.back().isFile = entry.isFile;
    m_segments.back().paramDataBytes = data.size;
    m_totalBytes += data.size;
    m_segments.push_back(std::move(data));
    addText("\r\n", index);
    m_segments.back().closesParam = true;
    m_segments.back().isFile = entry.isFile;
}

CHttpPostBody CHttpPostBody::Multipart(const CHttpClientMapT& params, const std::string& boundary, bool utf8)
{
    CHttpPostBody body;
    body.m_paramCount = params.Count();
    if (params.Empty()) {
        body.addText("\r\n--" + boundary + "--\r\n");
        return body;
    }
    for (size_t i = 0; i < params.Count(); ++i)
        body.addMultipartParam(params.At(i), static_cast<int>(i), boundary, utf8);
    body.addText("--" + boundary + "--\r\n");
    return body;
}

CHttpPostBody CHttpPostBody::Form(const CHttpClientMapT& params, bool utf8)
{
    CHttpPostBody body;
    body.m_paramCount = params.Count();
    std::string text;
    for (const auto& entry : params.Entries()) {
        if (!text.empty())
            text += '&';
        text += CHttpEncoderA::UrlEncodeA(encodeText(entry.name, utf8)) + "=" +
                CHttpEncoderA::UrlEncodeA(encodeText(entry.value, utf8));
    }
    body.addText(std::move(text));
    return body;
}

size_t CHttpPostBody::fillFromFile(Segment& segment, size_t maxBytes, std::string& out)
{
    if (m_bufferPos >= m_fileBuffer.size()) {
        const uint64_t remaining = segment.size - m_segmentPos;
        m_fileBuffer.resize(static_cast<size_t>(std::min<uint64_t>(kFileChunk, remaining)));
        m_bufferPos = 0;
        const ssize_t got = ::pread(segment.fd, m_fileBuffer.data(), m_fileBuffer.size(),
                                    static_cast<off_t>(m_segmentPos));
        if (got < 0)
            throw httpclientexceptionA::numbered(httpclientexceptionA::errReadFile, errnoText());
        if (static_cast<size_t>(got) != m_fileBuffer.size())
            throw httpclientexceptionA::numbered(httpclientexceptionA::errShortRead,
                                                 "the file became shorter while it was sent");
    }
    const size_t count = std::min(maxBytes, m_fileBuffer.size() - m_bufferPos);
    out.append(m_fileBuffer.data() + m_bufferPos, count);
    m_bufferPos += count;
    return count;
}

void CHttpPostBody::enterSegment(Segment& segment, CHttpPostStatT& stat)
{
    if (segment.opensParam)
        stat.BeginParam(segment.paramDataBytes, segment.isFile);
    m_fileBuffer.clear();
    m_bufferPos = 0;
    m_segmentEntered = true;
}

std::string CHttpPostBody::Next(size_t maxBytes, CHttpPostStatT& stat)
{
    std::string out;
    while (out.size() < maxBytes && !Done()) {
        Segment& segment = m_segments[m_segment];
        if (!m_segmentEntered)
            enterSegment(segment, stat);
        const size_t want = maxBytes - out.size();
        size_t count = 0;
        if (segment.fd >= 0 && segment.size > 0) {
            count = fillFromFile(segment, want, out);
        } else {
            count = static_cast<size_t>(std::min<uint64_t>(want, segment.size - m_segmentPos));
            out.append(segment.text, static_cast<size_t>(m_segmentPos), count);
        }
        m_segmentPos += count;
        stat.AddPosted(count);
        if (segment.isData)
            stat.AddParamData(count);
        if (m_segmentPos >= segment.size) {
            if (segment.closesParam)
                stat.CompleteParam();
            ++m_segment;
            m_segmentPos = 0;
            m_segmentEntered = false;
        }
    }
    return out;
}

} // namespace mvx::net

#pragma once

#include "net/HttpClientMap.h"
#include "net/HttpPostStat.h"

#include <cstdint>
#include <string>
#include <vector>

namespace mvx::net {

// The body of one post, laid out before sending (so its length is known)
// and handed out a piece at a time. Files stay open from the layout until
// the body is destroyed and are read in chunks of kFileChunk bytes.
class CHttpPostBody {
public:
    static constexpr size_t kFileChunk = 0xE000;

    // multipart/form-data with the boundary; files are opened here.
    static CHttpPostBody Multipart(const CHttpClientMapT& params, const std::string& boundary, bool utf8);
    // application/x-www-form-urlencoded pairs.
    static CHttpPostBody Form(const CHttpClientMapT& params, bool utf8);

    CHttpPostBody(CHttpPostBody&& other) noexcept;
    CHttpPostBody& operator=(CHttpPostBody&&) = delete;
    CHttpPostBody(const CHttpPostBody&) = delete;
    ~CHttpPostBody();

    uint64_t TotalBytes() const { return m_totalBytes; }
    uint64_t ParamCount() const { return m_paramCount; }
    uint64_t FileCount() const { return m_fileCount; }
    bool Done() const { return m_segment >= m_segments.size(); }
    // The next at most maxBytes bytes; updates the statistics.
    std::string Next(size_t maxBytes, CHttpPostStatT& stat);

    // Text of a multipart header value: '"', CR and LF percent-encoded so they cannot end it.
    static std::string QuoteSafe(const std::string& text);

private:
    struct Segment {
        std::string text;        // literal bytes (when fd < 0)
        int fd = -1;             // file data
        uint64_t size = 0;       // bytes this segment gives
        int param = -1;          // parameter the segment belongs to
        bool opensParam = false; // first segment of a parameter
        bool isData = false;     // the parameter's data
        bool closesParam = false;
        bool isFile = false;
        uint64_t paramDataBytes = 0;
    };

    CHttpPostBody() = default;
    void addText(std::string text, int param = -1);
    void addMultipartParam(const CHttpClientMapT::Entry& entry, int index, const std::string& boundary, bool utf8);
    size_t fillFromFile(Segment& segment, size_t maxBytes, std::string& out);
    void enterSegment(Segment& segment, CHttpPostStatT& stat);

    std::vector<Segment> m_segments;
    uint64_t m_totalBytes = 0;
    uint64_t m_paramCount = 0;
    uint64_t m_fileCount = 0;
    size_t m_segment = 0;
    uint64_t m_segmentPos = 0;
    std::vector<char> m_fileBuffer;  // one chunk of the current file
    size_t m_bufferPos = 0;
    bool m_segmentEntered = false;
};

} // namespace mvx::net

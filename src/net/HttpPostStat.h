#pragma once

#include <cstdint>

namespace mvx::net {

// Progress of the running post. Readable only while the post context is
// active; every reader raises otherwise.
class CHttpPostStatT {
public:
    uint64_t ActualTotalByte() const;
    uint64_t ActualPostedByte() const;
    uint64_t TotalCount() const;
    uint64_t PostedCount() const;
    uint64_t FileCount() const;
    uint64_t PostedFileCount() const;
    uint64_t CurrParamTotalByte() const;
    uint64_t CurrParamPostedByte() const;
    uint64_t CurrParamRemainByte() const;
    bool CurrParamIsFile() const;
    bool CurrParamIsComplete() const;

    // Updated by the post body as it is written.
    void Start(uint64_t totalBytes, uint64_t paramCount, uint64_t fileCount);
    void Stop() { m_active = false; }
    bool Active() const { return m_active; }
    void AddPosted(uint64_t bytes) { m_postedBytes += bytes; }
    void BeginParam(uint64_t dataBytes, bool isFile);
    void AddParamData(uint64_t bytes) { m_currPosted += bytes; }
    void CompleteParam();

private:
    void requireActive(const char* method) const;

    bool m_active = false;
    uint64_t m_totalBytes = 0;
    uint64_t m_postedBytes = 0;
    uint64_t m_totalCount = 0;
    uint64_t m_postedCount = 0;
    uint64_t m_fileCount = 0;
    uint64_t m_postedFileCount = 0;
    uint64_t m_currTotal = 0;
    uint64_t m_currPosted = 0;
    bool m_currIsFile = false;
    bool m_currComplete = false;
};

} // namespace mvx::net

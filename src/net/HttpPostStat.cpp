#include "net/HttpPostStat.h"

#include "net/HttpClientException.h"

#include <string>

namespace mvx::net {

void CHttpPostStatT::requireActive(const char* method) const
{
    if (!m_active)
        throw httpclientexceptionA::contextNotActive(std::string("CHttpPostStatT::") + method);
}

uint64_t CHttpPostStatT::ActualTotalByte() const { requireActive("ActualTotalByte"); return m_totalBytes; }
uint64_t CHttpPostStatT::ActualPostedByte() const { requireActive("ActualPostedByte"); return m_postedBytes; }
uint64_t CHttpPostStatT::TotalCount() const { requireActive("TotalCount"); return m_totalCount; }
uint64_t CHttpPostStatT::PostedCount() const { requireActive("PostedCount"); return m_postedCount; }
uint64_t CHttpPostStatT::FileCount() const { requireActive("FileCount"); return m_fileCount; }
uint64_t CHttpPostStatT::PostedFileCount() const { requireActive("PostedFileCount"); return m_postedFileCount; }
uint64_t CHttpPostStatT::CurrParamTotalByte() const { requireActive("CurrParamTotalByte"); return m_currTotal; }
uint64_t CHttpPostStatT::CurrParamPostedByte() const { requireActive("CurrParamPostedByte"); return m_currPosted; }

uint64_t CHttpPostStatT::CurrParamRemainByte() const
{
    requireActive("CurrParamRemainByte");
    return m_currTotal - m_currPosted;
}

bool CHttpPostStatT::CurrParamIsFile() const { requireActive("CurrParamIsFile"); return m_currIsFile; }
bool CHttpPostStatT::CurrParamIsComplete() const { requireActive("CurrParamIsComplete"); return m_currComplete; }

void CHttpPostStatT::Start(uint64_t totalBytes, uint64_t paramCount, uint64_t fileCount)
{
    *this = CHttpPostStatT{};
    m_active = true;
    m_totalBytes = totalBytes;
    m_totalCount = paramCount;
    m_fileCount = fileCount;
}

void CHttpPostStatT::BeginParam(uint64_t dataBytes, bool isFile)
{
    m_currTotal = dataBytes;
    m_currPosted = 0;
    m_currIsFile = isFile;
    m_currComplete = false;
}

void CHttpPostStatT::CompleteParam()
{
    m_currComplete = true;
    ++m_postedCount;
    if (m_currIsFile)
        ++m_postedFileCount;
}

} // namespace mvx::net

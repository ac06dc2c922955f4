#pragma once

#include <string>

namespace mvx::net {

// The private temporary folder of one transfer: fetched partner keys
// ("kpk*.kpub") and the containers made for them live here, and all of it
// is removed when the transfer ends, whatever happened.
class CTransferFolder {
public:
    CTransferFolder();
    ~CTransferFolder();
    CTransferFolder(const CTransferFolder&) = delete;
    CTransferFolder& operator=(const CTransferFolder&) = delete;

    bool Valid() const { return !m_path.empty(); }
    // The folder, ending with "/".
    const std::string& Path() const { return m_path; }
    // A new empty file "kpk<unique>.kpub" in the folder; empty on failure.
    std::string NewKeyFileName() const;

private:
    std::string m_path;
};

} // namespace mvx::net

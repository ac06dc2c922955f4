#include "net/TransferFolder.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace mvx::net {

namespace {

std::string temporaryRoot()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string root = tmp && *tmp ? tmp : "/tmp";
    if (root.back() != '/')
        root += '/';
    return root;
}

} // namespace

CTransferFolder::CTransferFolder()
{
    std::string pattern = temporaryRoot() + "morvanex-transfer-XXXXXX";
    if (::mkdtemp(pattern.data()))
        m_path = pattern + "/";
}

CTransferFolder::~CTransferFolder()
{
    if (m_path.empty())
        return;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(m_path, ec))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::string CTransferFolder::NewKeyFileName() const
{
    std::string name = m_path + "kpkXXXXXX.kpub";
    const int fd = ::mkstemps(name.data(), 5);
    if (fd < 0)
        return {};
    ::close(fd);
    return name;
}

} // namespace mvx::net

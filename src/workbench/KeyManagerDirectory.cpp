#include "workbench/KeyManagerDirectory.h"

#include "keys/CKeyManager.h"
#include "workbench/BatchFiles.h"

namespace mvx {

namespace {

constexpr const char* kAuthenticatedMembers = "member.dat";
constexpr const char* kPublicMembers = "pubkey_member.dat";

} // namespace

std::vector<std::string> KeyManagerDirectory::keyFilesIn(const std::string& folder)
{
    const std::string base = BatchFiles::withSlash(folder);
    std::vector<std::string> keyFiles;
    for (const char* memberFile : {kAuthenticatedMembers, kPublicMembers})
        for (const auto& record : CKeyManager::loadMemberFile(base + memberFile))
            if (!record.fileName.empty())
                keyFiles.push_back(base + record.fileName);
    return keyFiles;
}

std::optional<IDestinationDirectory::Entry> KeyManagerDirectory::lookup(const std::string& keyFile)
{
    const bool authenticated = BatchFiles::endsWithLower(keyFile, "-auth.kpub");
    const std::string memberFile =
        BatchFiles::folderOf(keyFile) + (authenticated ? kAuthenticatedMembers : kPublicMembers);
    const std::string name = BatchFiles::baseName(keyFile);
    for (const auto& record : CKeyManager::loadMemberFile(memberFile))
        if (record.fileName == name)
            return Entry{record.displayName, record.mail};
    return std::nullopt;
}

} // namespace mvx

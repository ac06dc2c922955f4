#include "keys/KeyFileNames.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace mvx {

namespace {

std::string lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

bool KeyFileNames::endsWithNoCase(const std::string& text, const std::string& ending)
{
    return text.size() >= ending.size() && lower(text.substr(text.size() - ending.size())) == lower(ending);
}

KeyKind KeyFileNames::kindOf(const std::string& name)
{
    if (endsWithNoCase(name, kPrivateEnding))
        return KeyKind::Private;
    if (endsWithNoCase(name, kAuthEnding))
        return KeyKind::Authenticated;
    if (endsWithNoCase(name, kPublicEnding))
        return KeyKind::Public;
    return KeyKind::Other;
}

std::string KeyFileNames::fileNameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string KeyFileNames::folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string KeyFileNames::stemOf(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string KeyFileNames::withTrailingSlash(const std::string& folder)
{
    return folder.empty() || folder.back() == '/' ? folder : folder + "/";
}

std::string KeyFileNames::keyFolder(const std::string& keyRoot, const std::string& keySetName)
{
    return withTrailingSlash(keyRoot) + kKeyFolderPrefix + keySetName + "/";
}

std::string KeyFileNames::ownerOfKeyFolder(const std::string& folder)
{
    std::string path = folder;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    const std::string own = fileNameOf(path);
    const size_t underscore = own.find('_');
    return underscore == std::string::npos ? std::string() : own.substr(underscore + 1);
}

std::string KeyFileNames::keySetNameOfPrivateKey(const std::string& privateKeyName)
{
    if (endsWithNoCase(privateKeyName, kPrivateSuffix))
        return privateKeyName.substr(0, privateKeyName.size() - std::strlen(kPrivateSuffix));
    return stemOf(privateKeyName);
}

std::string KeyFileNames::authKeyName(const std::string& holder, const std::string& issuer)
{
    return holder + kHolderSeparator + issuer + kAuthEnding;
}

bool KeyFileNames::splitAuthKeyName(const std::string& name, std::string& holder, std::string& issuer)
{
    if (!endsWithNoCase(name, kAuthEnding))
        return false;
    const std::string body = name.substr(0, name.size() - std::strlen(kAuthEnding));
    const size_t separator = body.find(kHolderSeparator);
    if (separator == std::string::npos)
        return false;
    holder = body.substr(0, separator);
    issuer = body.substr(separator + std::strlen(kHolderSeparator));
    return true;
}

std::string KeyFileNames::safeFileName(const std::string& name)
{
    std::string safe = fileNameOf(name);
    if (safe == "." || safe == "..")
        return std::string();
    return safe;
}

} // namespace mvx

#include "workbench/BatchFiles.h"

#include "platform/FileAttributes.h"

#include <cctype>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

std::string BatchFiles::baseName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string BatchFiles::folderOf(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string BatchFiles::withSlash(const std::string& folder)
{
    if (folder.empty() || folder.back() == '/')
        return folder;
    return folder + '/';
}

std::string BatchFiles::upperExtension(const std::string& path)
{
    const std::string name = baseName(path);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos)
        return {};
    std::string extension = name.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension;
}

bool BatchFiles::endsWith(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

bool BatchFiles::endsWithLower(const std::string& text, const std::string& lowerSuffix)
{
    if (text.size() < lowerSuffix.size())
        return false;
    const size_t start = text.size() - lowerSuffix.size();
    for (size_t i = 0; i < lowerSuffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[start + i])) != lowerSuffix[i])
            return false;
    return true;
}

bool BatchFiles::exists(const std::string& path)
{
    return FileAttributes::exists(path);
}

bool BatchFiles::isDirectory(const std::string& path)
{
    return FileAttributes::isDirectory(path);
}

bool BatchFiles::isRegularFile(const std::string& path)
{
    return FileAttributes::isRegularFile(path);
}

bool BatchFiles::isOtherThanRegularFile(const std::string& path)
{
    return FileAttributes::exists(path) && !FileAttributes::isRegularFile(path);
}

bool BatchFiles::isReadOnly(const std::string& path)
{
    return FileAttributes::isReadOnly(path);
}

bool BatchFiles::isHidden(const std::string& path)
{
    const std::string name = baseName(path);
    return !name.empty() && name.front() == '.';
}

bool BatchFiles::canOpenForReading(const std::string& path)
{
    // Non-blocking: a FIFO put in a file's place must not hold the batch.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace mvx

#include "platform/FileAttributes.h"

#include "platform/FileIo.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

bool statOf(const std::string& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }

constexpr mode_t kWriteBits = S_IWUSR | S_IWGRP | S_IWOTH;

} // namespace

bool FileAttributes::exists(const std::string& path)
{
    struct stat st {};
    return statOf(path, st);
}

bool FileAttributes::isRegularFile(const std::string& path)
{
    struct stat st {};
    return statOf(path, st) && S_ISREG(st.st_mode);
}

bool FileAttributes::isDirectory(const std::string& path)
{
    struct stat st {};
    return statOf(path, st) && S_ISDIR(st.st_mode);
}

bool FileAttributes::isSymbolicLink(const std::string& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool FileAttributes::isReadOnly(const std::string& path)
{
    struct stat st {};
    return statOf(path, st) && (st.st_mode & kWriteBits) == 0;
}

bool FileAttributes::setReadOnly(const std::string& path)
{
    struct stat st {};
    return statOf(path, st) && ::chmod(path.c_str(), st.st_mode & 07777 & ~kWriteBits) == 0;
}

bool FileAttributes::clearReadOnly(const std::string& path)
{
    struct stat st {};
    return statOf(path, st) && ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
}

SystemTime FileAttributes::lastWriteTime(const std::string& path)
{
    struct stat st {};
    if (!statOf(path, st))
        return {};
    return SystemTime::fromUnix(st.st_mtim.tv_sec, static_cast<int>(st.st_mtim.tv_nsec / 1000000));
}

long long FileAttributes::size(const std::string& path)
{
    struct stat st {};
    return statOf(path, st) ? static_cast<long long>(st.st_size) : -1;
}

bool FileAttributes::copyReplacing(const std::string& from, const std::string& to)
{
    struct stat st {};
    if (!statOf(from, st) || !S_ISREG(st.st_mode))
        return false;
    FdGuard in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid())
        return false;
    const std::string temp = to + ".part";
    FdGuard out(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!out.valid())
        return false;
    std::vector<uint8_t> buffer(64 * 1024);
    bool ok = true;
    for (;;) {
        const long long n = readFully(in.get(), buffer.data(), buffer.size());
        if (n < 0 || !writeFully(out.get(), buffer.data(), static_cast<size_t>(n))) {
            ok = false;
            break;
        }
        if (static_cast<size_t>(n) < buffer.size())
            break;
    }
    ok = ok && ::fchmod(out.get(), st.st_mode & 07777) == 0;
    ok = out.close() && ok;
    if (!ok || ::rename(temp.c_str(), to.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

bool FileAttributes::moveReplacing(const std::string& from, const std::string& to)
{
    if (::rename(from.c_str(), to.c_str()) == 0)
        return true;
    if (errno != EXDEV)
        return false;
    return copyReplacing(from, to) && ::unlink(from.c_str()) == 0;
}

bool FileAttributes::makeFolders(const std::string& path)
{
    std::string partial;
    size_t at = 0;
    while (at <= path.size()) {
        size_t next = path.find('/', at);
        if (next == std::string::npos)
            next = path.size();
        partial = path.substr(0, next);
        if (!partial.empty() && !isDirectory(partial) && ::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        at = next + 1;
    }
    return isDirectory(path);
}

std::vector<std::string> FileAttributes::entries(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace mvx

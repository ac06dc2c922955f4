#include "app/ProgramFolder.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string withSlash(std::string folder)
{
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string homeFolder()
{
    std::string home = environment("HOME");
    if (!home.empty())
        return home;
    if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir)
        return pw->pw_dir;
    return "/";
}

bool isDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::string programFolder()
{
    const std::string home = environment("MORVANEX_HOME");
    if (!home.empty())
        return withSlash(home);
    const std::string config = environment("XDG_CONFIG_HOME");
    if (!config.empty() && config.front() == '/')
        return withSlash(config) + "morvanex/";
    return withSlash(homeFolder()) + ".config/morvanex/";
}

bool ensureProgramFolder(const std::string& folder)
{
    if (folder.empty())
        return false;
    for (size_t slash = folder.find('/', 1); slash != std::string::npos; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (!isDirectory(part) && ::mkdir(part.c_str(), 0700) != 0 && !isDirectory(part))
            return false;
    }
    return isDirectory(folder) || (::mkdir(folder.c_str(), 0700) == 0);
}

} // namespace mvx

#include "platform/ProcessList.h"

#include "platform/FileAttributes.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <fstream>

namespace mvx {

namespace {

constexpr size_t kCommLength = 15;

std::string comparable(const std::string& name)
{
    const size_t slash = name.rfind('/');
    std::string base = slash == std::string::npos ? name : name.substr(slash + 1);
    base = base.substr(0, kCommLength);
    std::transform(base.begin(), base.end(), base.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return base;
}

} // namespace

std::vector<std::string> ProcessList::names()
{
    std::vector<std::string> found;
    for (const std::string& entry : FileAttributes::entries("/proc/")) {
        if (entry.empty() || !std::all_of(entry.begin(), entry.end(), [](unsigned char c) { return std::isdigit(c); }))
            continue;
        std::ifstream comm("/proc/" + entry + "/comm");
        std::string name;
        if (comm && std::getline(comm, name) && !name.empty())
            found.push_back(name);
    }
    return found;
}

bool ProcessList::isRunning(const std::string& program)
{
    const std::string wanted = comparable(program);
    if (wanted.empty())
        return false;
    const auto running = names();
    return std::any_of(running.begin(), running.end(), [&](const std::string& n) { return comparable(n) == wanted; });
}

bool ProcessList::isAlive(pid_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno != ESRCH);
}

} // namespace mvx

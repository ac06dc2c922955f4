#include "net/SimpleMail.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace mvx::net {

namespace {

std::string mailCommand()
{
    const char* mailer = std::getenv("MORVANEX_MAILER");
    return mailer && *mailer ? mailer : "xdg-email";
}

int runAndWait(const std::vector<std::string>& command)
{
    std::vector<char*> argv;
    for (const auto& arg : command)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        return -1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

void CSimpleMail::Reset()
{
    m_recipients.clear();
    m_attachments.clear();
    m_recipientCapacity = kGrowth;
    m_attachmentCapacity = kGrowth;
    m_recipients.reserve(kGrowth);
    m_attachments.reserve(kGrowth);
}

void CSimpleMail::grow(size_t count, size_t& capacity)
{
    if (count >= capacity)
        capacity += kGrowth;
}

int CSimpleMail::AddRecipient(const std::string& address, int kind)
{
    if (address.empty() || address.front() == '-' || kind < To || kind > Bcc)
        return 0;
    grow(m_recipients.size(), m_recipientCapacity);
    m_recipients.push_back({static_cast<Kind>(kind), address});
    return 1;
}

int CSimpleMail::AddAttachment(const std::string& path)
{
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec) || std::filesystem::is_directory(path, ec))
        return 0;
    grow(m_attachments.size(), m_attachmentCapacity);
    m_attachments.push_back(std::filesystem::absolute(path, ec).string());
    return 1;
}

std::vector<std::string> CSimpleMail::CommandLine(const std::string& subject, const std::string& body) const
{
    std::vector<std::string> command = {mailCommand(), "--utf8", "--subject", subject, "--body", body};
    for (const auto& path : m_attachments) {
        command.push_back("--attach");
        command.push_back(path);
    }
    for (const auto& recipient : m_recipients) {
        if (recipient.kind == Cc)
            command.push_back("--cc");
        else if (recipient.kind == Bcc)
            command.push_back("--bcc");
        else
            continue;
        command.push_back(recipient.address);
    }
    for (const auto& recipient : m_recipients)
        if (recipient.kind == To)
            command.push_back(recipient.address);
    return command;
}

int CSimpleMail::Send(const std::string& subject, const std::string& body, bool showDialog) const
{
    // The desktop's mail hand-over always opens the compose window.
    (void)showDialog;
    return runAndWait(CommandLine(subject, body)) == 0 ? 1 : 0;
}

} // namespace mvx::net

#include "platform/AppLauncher.h"

#include "platform/DesktopAssociations.h"
#include "platform/ProcessList.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace mvx {

namespace {

std::string trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string baseName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Runs command with the file put in for "%f"; the child's output goes to outFd when it is not -1.
pid_t start(const std::vector<std::string>& command, int outFd, bool& started)
{
    int report[2];
    started = false;
    if (command.empty() || ::pipe2(report, O_CLOEXEC) != 0)
        return -1;
    // Built before the fork: the child only calls what is safe after it.
    std::vector<char*> argv;
    for (const auto& word : command)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (outFd >= 0)
            ::dup2(outFd, STDOUT_FILENO);
        // The program gets the signals the caller may be holding back.
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::execvp(argv[0], argv.data());
        const int error = errno;
        (void)!::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(report[1]);
    int error = 0;
    ssize_t got;
    do {
        got = ::read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    ::close(report[0]);
    started = pid > 0 && got == 0;
    return pid;
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

} // namespace

std::vector<std::string> DesktopLauncher::commandOfExec(const std::string& exec)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false, quoted = false, hasFileCode = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted && c == '\\' && i + 1 < exec.size()) {
            word += exec[++i];
        } else if (c == '"') {
            quoted = !quoted;
            inWord = true;
        } else if (!quoted && c == ' ') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else if (c == '%' && i + 1 < exec.size()) {
            const char code = exec[++i];
            inWord = true;
            if (code == '%') {
                word += '%';
            } else if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
                word += "%f";
                hasFileCode = true;
            }
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord && !word.empty())
        words.push_back(word);
    std::erase_if(words, [](const std::string& w) { return w.empty(); });
    if (!hasFileCode && !words.empty())
        words.push_back("%f");
    return words;
}

std::optional<std::string> DesktopLauncher::outputOf(const std::vector<std::string>& command)
{
    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0)
        return std::nullopt;
    bool started = false;
    const pid_t pid = start(command, out[1], started);
    ::close(out[1]);
    std::string text;
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(out[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
        if (got > 0)
            text.append(buffer, static_cast<size_t>(got));
    ::close(out[0]);
    if (pid <= 0)
        return std::nullopt;
    const int status = waitFor(pid);
    if (!started || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return trimmed(text);
}

std::optional<IAppLauncher::Program> DesktopLauncher::programFor(const std::string& file)
{
    const char* opener = std::getenv("MORVANEX_OPENER");
    if (opener && *opener)
        return Program{{opener, "%f"}, baseName(opener)};
    const std::string mime = DesktopAssociations::mimeTypeOf(file);
    if (mime.empty())
        return std::nullopt;
    // A change of the user's default applications is seen at the next file.
    const auto listsNow = FileStamp::of(DesktopAssociations::mimeAppsLists().front());
    if (listsNow != userListStamp_) {
        programs_.clear();
        userListStamp_ = listsNow;
    }
    if (auto known = programs_.find(mime); known != programs_.end())
        return known->second;
    return programs_[mime] = programOfType(mime);
}

std::optional<IAppLauncher::Program> DesktopLauncher::programOfType(const std::string& mimeType)
{
    const std::string desktopFile = DesktopAssociations::defaultDesktopFile(mimeType);
    const auto command = desktopFile.empty() ? std::vector<std::string>()
                                             : commandOfExec(DesktopAssociations::execOf(desktopFile));
    if (command.empty())
        return std::nullopt;
    return Program{command, baseName(command.front())};
}

bool DesktopLauncher::isRunning(const Program& program) { return ProcessList::isRunning(program.processName); }

bool DesktopLauncher::runAndWait(const Program& program, const std::string& file)
{
    std::vector<std::string> command = program.command;
    for (auto& word : command)
        for (size_t at = word.find("%f"); at != std::string::npos; at = word.find("%f", at + file.size()))
            word.replace(at, 2, file);
    bool started = false;
    // What the program prints goes with the messages, not into the results.
    const pid_t pid = start(command, STDERR_FILENO, started);
    if (pid <= 0)
        return false;
    waitFor(pid);
    return started;
}

} // namespace mvx

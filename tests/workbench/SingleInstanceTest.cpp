#include "app/CMessageTable.h"
#include "app/Msg.h"
#include "app/SingleInstance.h"
#include "workbench/AppSession.h"

#include "ScriptedInteraction.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <grp.h>
#include <mutex>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sstream>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace mvx::test {
namespace {

// A probe process with pipes on its standard input and output.
class Probe {
public:
    explicit Probe(const std::vector<std::string>& arguments)
    {
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, in[0], 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, in[1]);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<char*> argv{const_cast<char*>(MORVANEX_INSTANCE_PROBE)};
        for (const auto& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, MORVANEX_INSTANCE_PROBE, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(in[0]);
        ::close(out[1]);
        input_ = in[1];
        output_ = out[0];
    }
    ~Probe()
    {
        closeInput();
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        ::close(output_);
    }

    // The next line of output; empty when the probe ended or said nothing for a minute.
    std::string line()
    {
        std::string text;
        char c;
        pollfd readable{output_, POLLIN, 0};
        while (::poll(&readable, 1, 60000) > 0 && ::read(output_, &c, 1) == 1 && c != '\n')
            text += c;
        return text;
    }
    // Everything until the probe ends (its input closed, so a probe that
    // wrongly runs as the first instance ends too), and its exit status.
    std::string rest(int& status)
    {
        closeInput();
        std::string text;
        char buffer[512];
        ssize_t got;
        pollfd readable{output_, POLLIN, 0};
        while (::poll(&readable, 1, 60000) > 0 && (got = ::read(output_, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<size_t>(got));
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return text;
    }
    void closeInput()
    {
        if (input_ >= 0)
            ::close(input_);
        input_ = -1;
    }

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

// A program folder with a key set, so that -E can encrypt.
std::string homeWithKeySet(const TempFolder& temp)
{
    ScriptedInteraction quiet;
    AppSession session(quiet, temp.file("home"), "en");
    session.makeKeySet({temp.file("keys/"), "me", "Me", "me@example.org"});
    session.settings().firstStart = 0;
    session.saveSettings();
    return temp.file("home");
}

TEST(SingleInstanceTest, ASecondPlainStartEndsAndBringsTheFirstForwardWhileSwitchesAreServedBesideIt)
{
    ::unsetenv("XDG_ACTIVATION_TOKEN");
    TempFolder temp;
    const std::string home = homeWithKeySet(temp);
    CMessageTable english;
    english.FillEnglish();

    Probe first({home});
    ASSERT_EQ(first.line(), "window");

    int status = -1;
    const std::string second = Probe({home}).rest(status);
    EXPECT_EQ(second, "message: " + english.text(Msg::AlreadyRunning) + "\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(first.line(), "front");
    // Under Wayland the launcher's token goes along.
    ::setenv("XDG_ACTIVATION_TOKEN", "launcher-token_1", 1);
    Probe({home}).rest(status);
    ::unsetenv("XDG_ACTIVATION_TOKEN");
    EXPECT_EQ(first.line(), "front launcher-token_1");

    const std::string plain = temp.file("docs/a.txt");
    std::filesystem::create_directories(temp.file("docs"));
    std::ofstream(plain) << "plain words";
    Probe({home, "-E", plain}).rest(status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(plain + ".klx"));

    EXPECT_EQ(Probe({home, "-E"}).rest(status), "message: " + english.text(Msg::ShellExtensionError) + "\n");

    // A single path (a file opened from the file manager) is a request too:
    // it lands in a work list, not in the "already running" message.
    Probe opened({home, plain});
    EXPECT_EQ(opened.line(), "studio: " + plain);
    EXPECT_EQ(opened.line(), "window");
    opened.rest(status);
    EXPECT_EQ(status, 0);

    first.closeInput();
    EXPECT_EQ(first.line(), "ended");
    first.rest(status);
    EXPECT_EQ(status, 0);

    // With the first gone, the next plain start is the first again.
    Probe again({home});
    EXPECT_EQ(again.line(), "window");
    again.rest(status);  // ended, not killed: its segment goes with it
}

constexpr uid_t kOtherUser = 65534;

// Another local user, played by a forked child that drops to uid 65534 and
// runs work; its exit status is work's result (99: could not become that user).
class OtherUser {
public:
    explicit OtherUser(const std::function<int(int ready)>& work)
    {
        int pipe[2];
        if (::pipe(pipe) != 0)
            return;
        pid_ = ::fork();
        if (pid_ == 0) {
            ::close(pipe[0]);
            const bool dropped = ::setgroups(0, nullptr) == 0 && ::setgid(kOtherUser) == 0 && ::setuid(kOtherUser) == 0;
            ::_exit(dropped ? work(pipe[1]) : 99);
        }
        ::close(pipe[1]);
        ready_ = pipe[0];
    }
    ~OtherUser()
    {
        if (pid_ > 0)
            status();
        if (ready_ >= 0)
            ::close(ready_);
    }
    // Waits until work wrote its ready byte (or ended).
    void waitReady()
    {
        char byte;
        pollfd readable{ready_, POLLIN, 0};
        if (::poll(&readable, 1, 10000) > 0)
            [[maybe_unused]] const ssize_t got = ::read(ready_, &byte, 1);
    }
    int status()
    {
        int status = -1;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    int ready_ = -1;
};

int asOtherUser(const std::function<int()>& work)
{
    return OtherUser([&](int) { return work(); }).status();
}

void signalReady(int ready) { [[maybe_unused]] const ssize_t put = ::write(ready, "r", 1); }

socklen_t addressOf(const std::string& name, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.data(), std::min(name.size(), sizeof address.sun_path - 1));
    if (name.front() == '@')
        address.sun_path[0] = '\0';
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + name.size() + (name.front() == '@' ? 0 : 1));
}

// Asks the instance listening at address to show its window, as a second start does.
bool knock(const std::string& socketAddress)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address;
    const socklen_t length = addressOf(socketAddress, address);
    char answer[4] = {};
    pollfd readable{fd, POLLIN, 0};
    const bool answered = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
                          ::send(fd, "show\n", 5, MSG_NOSIGNAL) == 5 && ::poll(&readable, 1, 5000) > 0 &&
                          ::read(fd, answer, 3) == 3;
    ::close(fd);
    return answered;
}

// A segment under the agreed name that every user may write, with text in it.
int plantSegment(const std::string& name, const std::string& text)
{
    const int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT, 0666);
    const bool planted = fd >= 0 && ::fchmod(fd, 0666) == 0 && ::ftruncate(fd, SingleInstance::kSharedSize) == 0 &&
                         ::pwrite(fd, text.c_str(), text.size() + 1, 0) == static_cast<ssize_t>(text.size() + 1);
    return planted ? 0 : 1;
}

std::string segmentText(const std::string& name)
{
    char text[SingleInstance::kSharedSize + 1] = {};
    const int fd = ::shm_open(name.c_str(), O_RDONLY, 0);
    if (fd < 0 || ::pread(fd, text, SingleInstance::kSharedSize, 0) < 0)
        text[0] = '\0';
    ::close(fd);
    return text;
}

// The private segments made beside the agreed name, as /dev/shm lists them.
std::vector<std::string> privateSegments(const SingleInstance& names)
{
    std::vector<std::string> found;
    const std::string prefix = names.agreedSegmentName().substr(1) + "-";
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm"))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            found.push_back(entry.path().filename().string());
    return found;
}

#define SKIP_UNLESS_ROOT()                                                                                           \
    if (::geteuid() != 0)                                                                                            \
    GTEST_SKIP() << "runs only as root: another local user (uid 65534) is played by a child that drops to it"

std::vector<std::string> studioLines(const std::string& output)
{
    std::vector<std::string> lines;
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        if (line.rfind("studio: ", 0) == 0)
            lines.push_back(line);
    return lines;
}

TEST(SingleInstanceTest, AnotherUserCanNeitherFeedPathsToTheRunningInstanceNorBringItForward)
{
    SKIP_UNLESS_ROOT();
    TempFolder temp;
    const std::string home = homeWithKeySet(temp);
    // The other user may reach the folder: only the checks of the instance keep them out.
    std::filesystem::permissions(temp.path(), std::filesystem::perms(0755));
    std::filesystem::permissions(home, std::filesystem::perms(0755));
    const std::string planted = temp.file("planted.txt");
    const std::string wanted = temp.file("wanted.txt");
    std::ofstream(planted) << "not chosen";
    std::ofstream(wanted) << "chosen";
    const SingleInstance names(home);
    ASSERT_EQ(asOtherUser([&] { return plantSegment(names.agreedSegmentName(), "before"); }), 0);

    Probe first({home});
    ASSERT_EQ(first.line(), "window");  // the taken name does not stop the start
    ::chmod(names.socketAddress().c_str(), 0666);  // as if a loose umask had left the socket open
    // The first instance left the other user's segment alone (it clears the one it uses).
    EXPECT_EQ(asOtherUser([&] { return segmentText(names.agreedSegmentName()) == "before" ? 0 : 1; }), 0);
    EXPECT_EQ(asOtherUser([&] { return plantSegment(names.agreedSegmentName(), planted); }), 0);
    EXPECT_EQ(asOtherUser([&] { return knock(names.socketAddress()) ? 0 : 1; }), 1);

    int status = -1;
    EXPECT_EQ(studioLines(Probe({home, wanted}).rest(status)), std::vector<std::string>{"studio: " + wanted});
    Probe({home}).rest(status);  // a plain start of this user is still heard
    EXPECT_EQ(first.line(), "front");
    EXPECT_EQ(first.rest(status), "ended\n");
    EXPECT_TRUE(privateSegments(names).empty());

    // A first instance killed leaves its private segment; the next first one takes it away.
    std::vector<std::string> left;
    {
        Probe killed({home});
        ASSERT_EQ(killed.line(), "window");
        left = privateSegments(names);
        ASSERT_EQ(left.size(), 1u);
    }
    Probe next({home});
    ASSERT_EQ(next.line(), "window");
    const auto now = privateSegments(names);
    EXPECT_EQ(now.size(), 1u);
    EXPECT_NE(now, left);
    next.rest(status);
    ::shm_unlink(names.agreedSegmentName().c_str());
}

TEST(SingleInstanceTest, ASecondStartUsesNoSegmentOrSocketAnotherUserPutUnderTheAgreedNames)
{
    SKIP_UNLESS_ROOT();
    TempFolder temp;
    const std::string folder = temp.file("shared/");
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(temp.path(), std::filesystem::perms(0755));
    std::filesystem::permissions(folder, std::filesystem::perms(01777));  // like /tmp
    SingleInstance second(folder);
    const std::string agreed = second.agreedSegmentName();
    const std::string socketAddress = second.socketAddress();
    // The other user squats both names and reports whether a request reached them:
    // 0 a request came, 1 a connection that said nothing, 2 no connection.
    OtherUser squatter([&](int ready) {
        const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address;
        const socklen_t length = addressOf(socketAddress, address);
        if (plantSegment(agreed, temp.file("planted.txt")) != 0 ||
            ::bind(listening, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(listening, 1) != 0)
            return 3;
        ::chmod(socketAddress.c_str(), 0666);
        signalReady(ready);
        pollfd waiting{listening, POLLIN, 0};
        if (::poll(&waiting, 1, 10000) <= 0)
            return 2;
        const int client = ::accept(listening, nullptr, nullptr);
        char request[8] = {};
        pollfd readable{client, POLLIN, 0};
        const bool asked = ::poll(&readable, 1, 5000) > 0 && ::read(client, request, 5) == 5;
        if (asked)
            [[maybe_unused]] const ssize_t put = ::send(client, "ok\n", 3, MSG_NOSIGNAL);
        return asked ? 0 : 1;
    });
    squatter.waitReady();
    // A running instance of this user holds the lock.
    const int lock = ::open(second.lockPath().c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(lock, LOCK_EX | LOCK_NB), 0);

    ASSERT_EQ(second.claim(), SingleInstance::Claim::Other);
    EXPECT_EQ(second.sharedText(), "");
    EXPECT_FALSE(second.askToShow());
    EXPECT_EQ(squatter.status(), 1);
    ::close(lock);
    ::shm_unlink(agreed.c_str());
}

TEST(SingleInstanceTest, TheActivationTokenReachesTheRunningInstanceOnlyAsOnePlainWord)
{
    TempFolder temp;
    SingleInstance first(temp.file("run/"));
    std::filesystem::create_directories(temp.file("run"));
    ASSERT_EQ(first.claim(), SingleInstance::Claim::First);
    std::mutex lock;
    std::vector<std::string> heard;
    ASSERT_TRUE(first.listen([&](const std::string& token) {
        std::lock_guard hold(lock);
        heard.push_back(token);
    }));
    SingleInstance second(temp.file("run/"));
    ASSERT_EQ(second.claim(), SingleInstance::Claim::Other);

    const std::string longest(255, 't');
    const std::vector<std::pair<std::string, std::string>> tokens = {
        {"kwin-17_abc.DEF", "kwin-17_abc.DEF"}, {"", ""},           {"two words", ""},
        {"line\nshow evil", ""},                {longest, longest}, {longest + "t", ""},
    };
    for (const auto& [given, handed] : tokens)
        EXPECT_TRUE(second.askToShow(given)) << given;
    std::vector<std::string> expected;
    for (const auto& [given, handed] : tokens)
        expected.push_back(handed);
    std::lock_guard hold(lock);
    EXPECT_EQ(heard, expected);
}

} // namespace
} // namespace mvx::test

#include "app/CMessageTable.h"
#include "app/Msg.h"
#include "workbench/AppSession.h"

#include "ScriptedInteraction.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
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

TEST(SingleInstanceTest, ASecondPlainStartEndsAndBringsTheFirstForwardWhileSwitchesAreServedBesideIt)
{
    TempFolder temp;
    {
        ScriptedInteraction quiet;
        AppSession session(quiet, temp.file("home"), "en");
        session.makeKeySet({temp.file("keys/"), "me", "Me", "me@example.org"});
        session.settings().firstStart = 0;
        session.saveSettings();
    }
    CMessageTable english;
    english.FillEnglish();
    const std::string home = temp.file("home");

    Probe first({home});
    ASSERT_EQ(first.line(), "window");

    int status = -1;
    const std::string second = Probe({home}).rest(status);
    EXPECT_EQ(second, "message: " + english.text(Msg::AlreadyRunning) + "\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(first.line(), "front");

    const std::string plain = temp.file("docs/a.txt");
    std::filesystem::create_directories(temp.file("docs"));
    std::ofstream(plain) << "plain words";
    Probe({home, "-E", plain}).rest(status);
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(std::filesystem::is_regular_file(plain + ".klx"));

    EXPECT_EQ(Probe({home, "-E"}).rest(status), "message: " + english.text(Msg::ShellExtensionError) + "\n");

    first.closeInput();
    EXPECT_EQ(first.line(), "ended");
    first.rest(status);
    EXPECT_EQ(status, 0);

    // With the first gone, the next plain start is the first again.
    Probe again({home});
    EXPECT_EQ(again.line(), "window");
}

} // namespace
} // namespace mvx::test

#include "CliRunner.h"
#include "TempFolder.h"

#include "engine/ContainerReader.h"
#include "engine/RecipientRecordTable.h"
#include "platform/LittleEndian.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <unistd.h>

using namespace mvx;
using namespace mvx::test;
namespace fs = std::filesystem;

// morvanex-cli driven the way a script drives it: globs, answer options, no terminal.
namespace {

class CliScriptUse : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(alice.init("Alice", "alice@example.org").exitCode, 0); }
    void TearDown() override
    {
        ::unsetenv("MORVANEX_OPENER");
        ::unsetenv("TMPDIR");
    }

    fs::path file(const std::string& name, const std::string& text = "plain text")
    {
        fs::create_directories(work);
        std::ofstream(work / name) << text;
        return work / name;
    }

    // The time limit stored in the own record of a container made for oneself.
    // The opener's name is this run's own: the launcher refuses a program that runs already.
    void useOpener(const std::string& name, const std::string& body)
    {
        const fs::path opener = work / (std::to_string(::getpid()) + "-" + name + ".sh");
        std::ofstream(opener) << "#!/bin/sh\n" << body;
        fs::permissions(opener, fs::perms::owner_all);
        ::setenv("MORVANEX_OPENER", opener.c_str(), 1);
    }

    uint32_t storedLimit(const fs::path& container) const
    {
        const int fd = ::open(container.c_str(), O_RDONLY);
        ContainerLayout layout;
        const auto status = ContainerReader::open(fd, alice.publicKey().string(),
                                                  (alice.keyRoot() / "alicePrivate.kpri").string(), layout);
        ::close(fd);
        EXPECT_EQ(status, ContainerStatus::Ok);
        return status == ContainerStatus::Ok ? getLe32(layout.ownRecord() + RecordOffset::kTimeLimit) : 0;
    }

    TempFolder root;
    CliUser alice{root.path(), "alice"};
    fs::path work = alice.folder() / "work";
};

} // namespace

TEST_F(CliScriptUse, AFileNamedLikeAnOptionIsNeverTakenForIt)
{
    const fs::path plain = file("a.txt");
    file("--delete");
    // "encrypt --self *" where the glob brought in "--delete".
    auto ambiguous = alice.runIn(work, {"--yes", "encrypt", "--self", "--delete", "a.txt"});
    EXPECT_EQ(ambiguous.exitCode, 2);
    EXPECT_TRUE(fs::exists(plain));
    EXPECT_FALSE(fs::exists(work / "a.txt.klx"));

    auto ended = alice.runIn(work, {"--yes", "encrypt", "--self", "--", "--delete", "a.txt"});
    ASSERT_EQ(ended.exitCode, 0) << ended.err;
    EXPECT_EQ(ended.out, (work / "--delete.klx").string() + "\n" + (work / "a.txt.klx").string() + "\n");
    EXPECT_TRUE(fs::exists(plain));
    EXPECT_TRUE(fs::exists(work / "--delete"));

    // The same end of options for shred.
    auto shredded = alice.runIn(work, {"--yes", "shred", "--", "--delete"});
    EXPECT_EQ(shredded.exitCode, 0) << shredded.err;
    EXPECT_FALSE(fs::exists(work / "--delete"));
    EXPECT_TRUE(fs::exists(plain));
}

TEST_F(CliScriptUse, OptionsBeforeTheFiles)
{
    const fs::path plain = file("notes.txt", "before and after");
    const fs::path sealed = alice.folder() / "sealed", opened = alice.folder() / "opened";
    auto enc = alice.run({"encrypt", "--out", sealed.string(), "--self", "--limit", "1d", plain.string()});
    ASSERT_EQ(enc.exitCode, 0) << enc.err;
    EXPECT_EQ(enc.out, (sealed / "notes.txt.klx").string() + "\n");
    auto dec = alice.run({"decrypt", "--out", opened.string(), (sealed / "notes.txt.klx").string()});
    ASSERT_EQ(dec.exitCode, 0) << dec.err;
    EXPECT_EQ(dec.out.substr(0, dec.out.find('\t')), (opened / "notes.txt").string());
    std::ifstream in(opened / "notes.txt");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "before and after");
}

TEST_F(CliScriptUse, AnswerOptionsReachTheQuestions)
{
    const fs::path kept = file("kept.bin"), gone = file("gone.bin");
    EXPECT_EQ(alice.run({"--no", "shred", kept.string()}).exitCode, 1);
    EXPECT_TRUE(fs::exists(kept));
    EXPECT_EQ(alice.run({"--yes", "shred", gone.string()}).exitCode, 0);
    EXPECT_FALSE(fs::exists(gone));

    // A deletion asked for and not answered is a failure, named, with the container still printed.
    auto unanswered = alice.run({"encrypt", kept.string(), "--self", "--delete"});
    EXPECT_EQ(unanswered.exitCode, 1);
    EXPECT_EQ(unanswered.out, kept.string() + ".klx\n");
    EXPECT_NE(unanswered.err.find("It failed in the deletion of " + kept.string()), std::string::npos)
        << unanswered.err;
    EXPECT_TRUE(fs::exists(kept));
}

TEST_F(CliScriptUse, EveryLimitUnitIsStoredInSeconds)
{
    const fs::path plain = file("limited.txt");
    const std::pair<const char*, uint32_t> units[] = {{"3y", 3 * 365 * 86400u}, {"3w", 3 * 7 * 86400u},
                                                      {"3d", 3 * 86400u},       {"3h", 3 * 3600u},
                                                      {"3m", 3 * 60u},          {"3s", 3u}};
    for (const auto& [limit, seconds] : units) {
        const fs::path out = alice.folder() / limit;
        auto made = alice.run({"encrypt", plain.string(), "--self", "--limit", limit, "--out", out.string()});
        ASSERT_EQ(made.exitCode, 0) << limit << made.err;
        EXPECT_EQ(storedLimit(out / "limited.txt.klx"), seconds) << limit;
    }
    EXPECT_EQ(alice.run({"encrypt", plain.string(), "--self", "--limit-until", "2099-01-01 00:00:00",
                         "--from-first-decryption"})
                  .exitCode,
              2);
}

TEST_F(CliScriptUse, AnUnknownSendersFileIsOpenedOnlyWithOpen)
{
    CliUser bob(root.path(), "bob");
    ASSERT_EQ(bob.init("Bob", "bob@example.org").exitCode, 0);
    // For a plain public key the container carries the sender's key.
    const fs::path plain = file("letter.txt");
    ASSERT_EQ(bob.run({"encrypt", plain.string(), "--to", alice.publicKey().string()}).exitCode, 0);
    const std::string container = plain.string() + ".klx";

    const fs::path seen = work / "seen";
    useOpener("unknown-sender-opener", "echo opened; touch " + seen.string() + "\n");

    auto viewed = alice.run({"--no", "decrypt", container, "--open", "--out", (work / "one").string()});
    ASSERT_EQ(viewed.exitCode, 0) << viewed.err;
    EXPECT_TRUE(fs::exists(seen));
    EXPECT_EQ(viewed.out, (work / "one" / "letter.txt").string() + "\tunknown\tBob\tbob@example.org\n");
    fs::remove(seen);

    auto accepted = alice.run({"--yes", "decrypt", container, "--out", (work / "two").string()});
    ASSERT_EQ(accepted.exitCode, 0) << accepted.err;
    EXPECT_FALSE(fs::exists(seen));
    EXPECT_NE(alice.run({"keys", "list"}).out.find("Bob\tbob@example.org\t"), std::string::npos);
}

TEST_F(CliScriptUse, EveryResultIsOneLineWhateverItsName)
{
    const fs::path odd = file("two\nlines\\.txt", "odd name");
    fs::create_directories(work / "folder");
    const std::string escaped = (work / "two\\nlines\\\\.txt").string();
    auto enc = alice.run({"encrypt", (work / "folder").string(), odd.string(), "--self"});
    EXPECT_EQ(enc.exitCode, 1);
    EXPECT_NE(enc.err.find((work / "folder").string() + " is a folder"), std::string::npos) << enc.err;
    EXPECT_EQ(enc.out, escaped + ".klx\n");

    auto dec = alice.run({"decrypt", odd.string() + ".klx", "--out", (work / "out").string()});
    ASSERT_EQ(dec.exitCode, 0) << dec.err;
    EXPECT_EQ(dec.out.substr(0, dec.out.find("\tknown\t")), (work / "out" / "two\\nlines\\\\.txt").string());
    EXPECT_EQ(std::count(dec.out.begin(), dec.out.end(), '\n'), 1);
    EXPECT_TRUE(fs::exists(work / "out" / "two\nlines\\.txt"));
}

TEST_F(CliScriptUse, AnInterruptedOpenLeavesNoPlainText)
{
    const fs::path tmp = work / "tmp";
    // Left by a run that was killed, and in use by a process that still runs.
    const fs::path dead = tmp / "mvx-open-4194305-aBcDeF";
    const fs::path running = tmp / ("mvx-open-" + std::to_string(::getpid()) + "-aBcDeF");
    for (const auto& folder : {dead, running}) {
        fs::create_directories(folder);
        std::ofstream(folder / "plain.txt") << "plain text";
    }
    const fs::path plain = file("diary.txt", "dear diary");
    ASSERT_EQ(alice.run({"encrypt", plain.string(), "--self"}).exitCode, 0);
    const fs::path where = work / "where";
    useOpener("interrupting-opener", "echo \"$1\" > " + where.string() + "; kill -TERM $PPID\nwhile kill -0 $PPID 2>/dev/null; do sleep 0.05; done\n");
    ::setenv("TMPDIR", tmp.c_str(), 1);

    auto opened = alice.run({"open", plain.string() + ".klx"});
    EXPECT_EQ(opened.exitCode, -1) << opened.err;  // ended by the signal
    std::ifstream in(where);
    std::string shown;
    std::getline(in, shown);
    ASSERT_NE(shown.find("diary.txt"), std::string::npos);
    EXPECT_FALSE(fs::exists(fs::path(shown).parent_path()));
    EXPECT_FALSE(fs::exists(dead));
    EXPECT_TRUE(fs::exists(running / "plain.txt"));
}

namespace {

struct Terminal {
    pid_t pid = -1;
    int master = -1;
};

// Starts morvanex-cli with standard error (and standard input too, for
// questions answered at the prompt) on a pseudo terminal.
Terminal startOnTerminal(const CliUser& user, const std::vector<std::string>& args, bool inputToo)
{
    int master = -1, slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return {};
    std::vector<std::string> argv{MORVANEX_CLI, "--home", (user.folder() / "home").string(), "--lang", "en"};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(slave, STDERR_FILENO);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(inputToo ? slave : null, STDIN_FILENO);
        ::dup2(null, STDOUT_FILENO);
        ::close(master);
        std::vector<char*> raw;
        for (auto& a : argv)
            raw.push_back(a.data());
        raw.push_back(nullptr);
        ::execv(raw[0], raw.data());
        ::_exit(127);
    }
    ::close(slave);
    return {pid, master};
}

// Runs morvanex-cli with standard error on a pseudo terminal; returns what the terminal showed.
std::string onTerminal(const CliUser& user, const std::vector<std::string>& args)
{
    const Terminal terminal = startOnTerminal(user, args, false);
    if (terminal.master < 0)
        return {};
    std::string shown;
    char buffer[4096];
    for (ssize_t got; (got = ::read(terminal.master, buffer, sizeof buffer)) > 0;)
        shown.append(buffer, static_cast<size_t>(got));
    ::waitpid(terminal.pid, nullptr, 0);
    ::close(terminal.master);
    return shown;
}

} // namespace

TEST_F(CliScriptUse, AProgressLineOnlyOnATerminalAndClearedAtTheEnd)
{
    const fs::path plain = file("big.bin", std::string(3 * 1024, 'x'));
    const std::string shown = onTerminal(alice, {"encrypt", plain.string(), "--self"});
    EXPECT_NE(shown.find("/1 files, "), std::string::npos) << shown;
    EXPECT_NE(shown.find(" of 3.0 KiB, "), std::string::npos) << shown;
    // Cleared by the end, and before every message: nothing is ever written onto the progress line.
    EXPECT_GT(shown.rfind("\r\033[K"), shown.rfind("files, ")) << shown;
    for (size_t at = shown.find("\r\033[K"); at != std::string::npos;) {
        const size_t next = shown.find("\r\033[K", at + 4);
        const std::string drawn = shown.substr(at + 4, next == std::string::npos ? std::string::npos : next - at - 4);
        if (drawn.find("files, ") != std::string::npos) {
            EXPECT_EQ(drawn.find_first_of("\r\n["), std::string::npos) << shown;
            EXPECT_EQ(drawn.substr(drawn.size() - 2), "/s") << shown;
        }
        at = next;
    }
    EXPECT_TRUE(fs::exists(plain.string() + ".klx"));

    // Without a terminal: the messages only.
    auto shredded = alice.run({"--yes", "shred", plain.string()});
    EXPECT_EQ(shredded.exitCode, 0);
    EXPECT_EQ(shredded.err.find('\r'), std::string::npos) << shredded.err;
    EXPECT_NE(onTerminal(alice, {"--yes", "shred", plain.string() + ".klx"}).find("/1 files, "), std::string::npos);
    EXPECT_FALSE(fs::exists(plain.string() + ".klx"));
}

// Within one large file the bytes done grow from draw to draw (the output
// growing counts), before the file is done; drawn every 2 ms here. Whether a
// last line is drawn after the file is done depends on timing, so it is not asked.
TEST_F(CliScriptUse, TheProgressLineAdvancesWithinAFile)
{
    const fs::path plain = work / "large.bin";
    fs::create_directories(work);
    std::ofstream(plain, std::ios::binary).close();
    fs::resize_file(plain, 96u << 20);
    ::setenv("MORVANEX_PROGRESS_MS", "2", 1);
    const std::string shown = onTerminal(alice, {"encrypt", plain.string(), "--self"});
    ::unsetenv("MORVANEX_PROGRESS_MS");
    ASSERT_TRUE(fs::exists(plain.string() + ".klx")) << shown;
    std::set<std::string> within;
    for (size_t at = shown.find("0/1 files, "); at != std::string::npos; at = shown.find("0/1 files, ", at + 1)) {
        const std::string done = shown.substr(at + 11, shown.find(" of ", at) - at - 11);
        if (done != "0 B")
            within.insert(done);
    }
    EXPECT_GE(within.size(), 2u) << "the states drawn before the file was done: " << within.size();
}

// Exit 0 only when everything asked for was done: a deletion left undone, a
// folder among the files or a refused question end with 1, and the files
// stay as they were.
TEST_F(CliScriptUse, ExitOneWhenADeletionOrAnOperandWasLeftOut)
{
    struct Run {
        const char* name;
        std::vector<std::string> args;  // "@" stands for the prepared file
        bool container;                 // the prepared file is a container (of plain.txt)
        bool readOnly;
        int exit;
        bool preparedStays;
    };
    const std::string folder = (work / "folder").string();
    const Run runs[] = {
        {"plain files kept after No", {"--no", "encrypt", "@", "--self", "--delete"}, false, false, 1, true},
        {"plain files deleted after Yes", {"--yes", "encrypt", "@", "--self", "--delete"}, false, false, 0, false},
        {"a folder among the plain files", {"encrypt", folder, "@", "--self"}, false, false, 1, true},
        {"a container that cannot be deleted", {"decrypt", "@", "--delete", "--out", (work / "out").string()}, true, true, 1, true},
        {"containers deleted", {"decrypt", "@", "--delete", "--out", (work / "out").string()}, true, false, 0, false},
        {"a folder among the containers", {"decrypt", folder, "@", "--out", (work / "out").string()}, true, false, 1, true},
        {"secure deletion refused", {"--no", "shred", "@"}, false, false, 1, true},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.name);
        fs::remove_all(work);
        fs::create_directories(folder);
        fs::path prepared = file("plain.txt");
        if (run.container) {
            ASSERT_EQ(alice.run({"encrypt", prepared.string(), "--self"}).exitCode, 0);
            fs::remove(prepared);
            prepared += ".klx";
        }
        if (run.readOnly)
            fs::permissions(prepared, fs::perms::owner_read);
        std::vector<std::string> args = run.args;
        std::replace(args.begin(), args.end(), std::string("@"), prepared.string());
        const auto result = alice.run(args);
        EXPECT_EQ(result.exitCode, run.exit) << result.err;
        EXPECT_EQ(fs::exists(prepared), run.preparedStays);
    }
}

// Without --open no program is started for an unknown sender's file, whatever
// the answer to the authentication question.
TEST_F(CliScriptUse, AnUnknownSendersFileIsNotOpenedWithoutOpen)
{
    CliUser bob(root.path(), "bob");
    ASSERT_EQ(bob.init("Bob", "bob@example.org").exitCode, 0);
    const fs::path plain = file("letter.txt");
    ASSERT_EQ(bob.run({"encrypt", plain.string(), "--to", alice.publicKey().string()}).exitCode, 0);
    const fs::path seen = work / "seen";
    useOpener("never-opener", "touch " + seen.string() + "\n");
    for (const char* answer : {"--no", "--yes"}) {
        SCOPED_TRACE(answer);
        const fs::path out = work / (std::string("out") + answer);
        const auto result = alice.run({answer, "decrypt", plain.string() + ".klx", "--out", out.string()});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_TRUE(fs::exists(out / "letter.txt"));
        EXPECT_FALSE(fs::exists(seen));
    }
}

namespace {

// Reads what the terminal shows until text appears (or the program ends).
std::string readUntil(int master, const std::string& text, std::string& shown)
{
    char buffer[4096];
    while (shown.find(text) == std::string::npos) {
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got <= 0)
            break;
        shown.append(buffer, static_cast<size_t>(got));
    }
    return shown;
}

} // namespace

// A question asked in the middle of a batch stays on the terminal until it
// is answered; then the progress line comes back with the files done so far.
TEST_F(CliScriptUse, AQuestionIsNeverDrawnOverAndTheProgressLineAdvances)
{
    // The batch takes the files from the last one given: the question comes after two are done.
    const fs::path a = file("a.txt"), b = file("b.txt"), c = file("c.txt");
    std::ofstream(a.string() + ".klx") << "an older container";
    const Terminal terminal = startOnTerminal(alice, {"encrypt", a.string(), b.string(), c.string(), "--self"}, true);
    ASSERT_GE(terminal.master, 0);
    const int master = terminal.master;
    std::string shown;
    readUntil(master, "? ", shown);
    ASSERT_NE(shown.find("Overwrite: a.txt.klx"), std::string::npos) << shown;
    // Nothing may reach the terminal in three redraws' time with the question open.
    const size_t asked = shown.size();
    pollfd waiting{master, POLLIN, 0};
    for (auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
         std::chrono::steady_clock::now() < until;) {
        if (::poll(&waiting, 1, 50) > 0) {
            char buffer[4096];
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got <= 0)
                break;
            shown.append(buffer, static_cast<size_t>(got));
        }
    }
    EXPECT_EQ(shown.substr(asked), "");
    ASSERT_EQ(::write(master, "1\n", 2), 2);
    readUntil(master, "2/3 files, ", shown);
    EXPECT_NE(shown.find("2/3 files, ", asked), std::string::npos) << shown.substr(asked);
    readUntil(master, "\x01", shown);  // to the end
    int status = 0;
    ::waitpid(terminal.pid, &status, 0);
    ::close(master);
    EXPECT_EQ(WEXITSTATUS(status), 0) << shown;
    std::ifstream container(a.string() + ".klx");
    std::string start;
    std::getline(container, start);
    EXPECT_NE(start, "an older container");
}

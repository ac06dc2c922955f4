#include "CliRunner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

using namespace mvx::test;
namespace fs = std::filesystem;

namespace {

class CliEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        root = fs::temp_directory_path() / ("mvx-e2e-" + std::to_string(rd()));
        fs::create_directories(root);
    }
    void TearDown() override
    {
        std::error_code ec;
        for (auto& e : fs::recursive_directory_iterator(root, ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root, ec);
    }
    fs::path root;
};

std::string lineWith(const std::string& text, const std::string& key)
{
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(key + "\t", 0) == 0)
            return line.substr(key.size() + 1);
    return {};
}

} // namespace

TEST_F(CliEndToEnd, UsageErrorsExitTwo)
{
    EXPECT_EQ(runCli({}).exitCode, 2);
    EXPECT_EQ(runCli({"no-such-command"}).exitCode, 2);
    EXPECT_EQ(runCli({"--lang", "fr", "whoami"}).exitCode, 2);
    auto help = runCli({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* command : {"init", "whoami", "auth", "keys"})
        EXPECT_NE(help.out.find(command), std::string::npos) << command;
    EXPECT_EQ(runCli({"init", "--help"}).exitCode, 0);
}

TEST_F(CliEndToEnd, KeySetWithoutSettingsIsRefused)
{
    CliUser nobody(root, "nobody");
    auto r = nobody.run({"whoami"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("'Values.dat' was not found."), std::string::npos);
}

TEST_F(CliEndToEnd, TwoUsersAuthenticateEachOther)
{
    CliUser alice(root, "alice"), bob(root, "bob");
    ASSERT_EQ(alice.init("Alice", "alice@example.org").exitCode, 0);
    ASSERT_EQ(bob.init("Bob", "bob@example.org").exitCode, 0);
    auto who = alice.run({"whoami"});
    ASSERT_EQ(who.exitCode, 0) << who.err;
    EXPECT_EQ(lineWith(who.out, "user"), "Alice");
    EXPECT_EQ(lineWith(who.out, "mail"), "alice@example.org");
    EXPECT_EQ(lineWith(who.out, "fingerprint").size(), 16u);

    // A second init with the same name changes nothing.
    const auto before = fs::last_write_time(alice.publicKey());
    EXPECT_EQ(alice.init("Alice", "alice@example.org").exitCode, 1);
    EXPECT_EQ(fs::last_write_time(alice.publicKey()), before);

    // Alice authenticates Bob's key: the file for Bob lands beside his key.
    auto made = alice.run({"auth", bob.publicKey().string()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const fs::path forBob = bob.keyRoot() / "bob))alice-auth.kpub";
    EXPECT_EQ(made.out, forBob.string() + "\n");
    EXPECT_EQ(fs::file_size(forBob), 284u);

    auto added = bob.run({"keys", "add", forBob.string(), "--name", "Alice", "--mail", "alice@example.org"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_TRUE(fs::exists(bob.keyFolder() / "bob))alice-auth.kpub"));
    auto list = bob.run({"keys", "list"});
    EXPECT_NE(list.out.find("Alice\talice@example.org\tbob))alice-auth.kpub\t"), std::string::npos) << list.out;
}

TEST_F(CliEndToEnd, AuthExpiryChoices)
{
    CliUser alice(root, "alice"), bob(root, "bob");
    ASSERT_EQ(alice.init("Alice", "alice@example.org").exitCode, 0);
    ASSERT_EQ(bob.init("Bob", "bob@example.org").exitCode, 0);
    EXPECT_EQ(alice.run({"auth", bob.publicKey().string(), "--expires", "sometime"}).exitCode, 2);
    auto past = alice.run({"auth", bob.publicKey().string(), "--expires", "2001-01-01"});
    EXPECT_EQ(past.exitCode, 1);
    EXPECT_NE(past.err.find("Select the date before today."), std::string::npos) << past.err;
    EXPECT_EQ(alice.run({"--yes", "auth", bob.publicKey().string(), "--expires", "year"}).exitCode, 0);
}

#include "CliRunner.h"

#include <gtest/gtest.h>

#include <cstring>
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

namespace {

std::string readText(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Alice and Bob authenticate each other's keys and register what the other made for them.
void becomePartners(const CliUser& alice, const CliUser& bob)
{
    ASSERT_EQ(alice.run({"auth", bob.publicKey().string()}).exitCode, 0);
    ASSERT_EQ(bob.run({"auth", alice.publicKey().string()}).exitCode, 0);
    const fs::path forBob = bob.keyRoot() / (bob.name() + "))" + alice.name() + "-auth.kpub");
    const fs::path forAlice = alice.keyRoot() / (alice.name() + "))" + bob.name() + "-auth.kpub");
    auto added = bob.run({"keys", "add", forBob.string(), "--name", "Alice", "--mail", "alice@example.org"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    added = alice.run({"keys", "add", forAlice.string(), "--name", "Bob", "--mail", "bob@example.org"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
}

} // namespace

TEST_F(CliEndToEnd, PartnersExchangeFilesAndAThirdUserCannotRead)
{
    CliUser alice(root, "alice"), bob(root, "bob"), carol(root, "carol");
    ASSERT_EQ(alice.init("Alice", "alice@example.org").exitCode, 0);
    ASSERT_EQ(bob.init("Bob", "bob@example.org").exitCode, 0);
    ASSERT_EQ(carol.init("Carol", "carol@example.org").exitCode, 0);
    becomePartners(alice, bob);

    const fs::path plain = bob.folder() / "report.txt";
    std::ofstream(plain) << "quarterly figures\n";
    auto enc = bob.run({"encrypt", plain.string(), "--to", "Alice", "--out", (bob.folder() / "out").string()});
    ASSERT_EQ(enc.exitCode, 0) << enc.err;
    const fs::path container = bob.folder() / "out" / "report.txt.klx";
    EXPECT_EQ(enc.out, container.string() + "\n");

    auto dec = alice.run({"decrypt", container.string(), "--out", (alice.folder() / "in").string()});
    ASSERT_EQ(dec.exitCode, 0) << dec.err;
    const fs::path received = alice.folder() / "in" / "report.txt";
    EXPECT_EQ(dec.out, received.string() + "\tknown\tBob\tbob@example.org\n");
    EXPECT_EQ(readText(received), "quarterly figures\n");

    auto refused = carol.run({"decrypt", container.string(), "--out", (carol.folder() / "in").string()});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("You are not authorized to decrypt this file."), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(carol.folder() / "in" / "report.txt"));

    // And back: Alice to Bob, with the plain file destroyed afterwards.
    const fs::path answer = alice.folder() / "answer.txt";
    std::ofstream(answer) << "thanks";
    auto back = alice.run({"--yes", "encrypt", answer.string(), "--to", "Bob", "--delete"});
    ASSERT_EQ(back.exitCode, 0) << back.err;
    EXPECT_FALSE(fs::exists(answer));
    auto got = bob.run({"decrypt", answer.string() + ".klx", "--out", (bob.folder() / "in").string()});
    ASSERT_EQ(got.exitCode, 0) << got.err;
    EXPECT_EQ(readText(bob.folder() / "in" / "answer.txt"), "thanks");
    EXPECT_NE(got.out.find("\tknown\tAlice\t"), std::string::npos) << got.out;
}

TEST_F(CliEndToEnd, EncryptOptionsAndRefusals)
{
    CliUser alice(root, "alice");
    ASSERT_EQ(alice.init("Alice", "alice@example.org").exitCode, 0);
    const fs::path plain = alice.folder() / "self.txt";
    std::ofstream(plain) << "for me";
    EXPECT_EQ(alice.run({"encrypt", plain.string()}).exitCode, 2);  // neither --to nor --self
    EXPECT_EQ(alice.run({"encrypt", plain.string(), "--self", "--limit", "5x"}).exitCode, 2);

    auto badLimit = alice.run({"encrypt", plain.string(), "--self", "--limit", "100d"});
    EXPECT_EQ(badLimit.exitCode, 1);
    EXPECT_NE(badLimit.err.find("The range that can set time is 1 to 99."), std::string::npos) << badLimit.err;

    auto unknown = alice.run({"encrypt", plain.string(), "--to", "Nobody"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_FALSE(fs::exists(plain.string() + ".klx"));

    auto self = alice.run({"encrypt", plain.string(), "--self", "--limit", "2h", "--history"});
    ASSERT_EQ(self.exitCode, 0) << self.err;
    auto history = alice.run({"history", plain.string() + ".klx"});
    EXPECT_EQ(history.exitCode, 0) << history.err;
    EXPECT_FALSE(history.out.empty());
    // An existing output is not replaced without an answer.
    auto again = alice.run({"encrypt", plain.string(), "--self"});
    EXPECT_EQ(again.exitCode, 1);
    auto dec = alice.run({"decrypt", plain.string() + ".klx", "--out", (alice.folder() / "back").string()});
    ASSERT_EQ(dec.exitCode, 0) << dec.err;
    EXPECT_EQ(readText(alice.folder() / "back" / "self.txt"), "for me");
}

TEST_F(CliEndToEnd, ShredDestroysAfterTheAnswer)
{
    CliUser alice(root, "alice");
    const fs::path a = alice.folder() / "a.bin", b = alice.folder() / "b.bin";
    std::ofstream(a) << "aaaa";
    std::ofstream(b) << "bbbb";
    auto no = alice.run({"shred", a.string()});  // no terminal: the safe answer keeps the file
    EXPECT_EQ(no.exitCode, 1);
    EXPECT_TRUE(fs::exists(a));
    auto yes = alice.run({"--overwrite-all", "shred", a.string(), b.string()});
    EXPECT_EQ(yes.exitCode, 0) << yes.err;
    EXPECT_FALSE(fs::exists(a));
    EXPECT_FALSE(fs::exists(b));
}

TEST_F(CliEndToEnd, DamagedContainersAreRefusedAndLeftAsTheyWere)
{
    CliUser alice(root, "alice");
    ASSERT_EQ(alice.init("Alice", "alice@example.org").exitCode, 0);
    const fs::path plain = alice.folder() / "big.bin";
    {
        std::ofstream out(plain, std::ios::binary);
        for (int i = 0; i < 70000; ++i)
            out.put(static_cast<char>(i * 31));
    }
    auto limited = alice.run({"encrypt", plain.string(), "--self", "--limit-until", "2099-12-31 00:00:00", "--out",
                              (alice.folder() / "limited").string()});
    ASSERT_EQ(limited.exitCode, 0) << limited.err;
    auto open = alice.run({"encrypt", plain.string(), "--self", "--out", (alice.folder() / "open").string()});
    ASSERT_EQ(open.exitCode, 0) << open.err;
    const std::string timed = readText(alice.folder() / "limited" / "big.bin.klx");
    const std::string untimed = readText(alice.folder() / "open" / "big.bin.klx");
    const size_t trailer = untimed.size() - 48;

    struct Case {
        const char* what;
        std::string bytes;
        const char* message;
    };
    std::string flippedStart = timed;
    flippedStart[timed.size() - 48 - 256 + 232 + 1] ^= 0x01;  // high byte of the limit start's year
    std::string bodyLengthLowered = untimed;
    uint32_t bodyLength = 0;
    std::memcpy(&bodyLength, untimed.data() + trailer + 16, 4);  // little endian, as the machine
    bodyLength -= 100;
    std::memcpy(bodyLengthLowered.data() + trailer + 16, &bodyLength, 4);
    const Case cases[] = {
        {"a flipped year of the limit start", flippedStart, "is damaged. It was neither decrypted nor erased"},
        {"the first 16 bytes lost", untimed.substr(16), "This file type is not KLX file or broken."},
        {"the body length lowered by 100", bodyLengthLowered, "This file type is not KLX file or broken."},
    };
    for (const Case& c : cases) {
        const fs::path container = alice.folder() / "damaged" / "big.bin.klx";
        fs::create_directories(container.parent_path());
        std::ofstream(container, std::ios::binary | std::ios::trunc) << c.bytes;
        auto dec = alice.run({"decrypt", container.string(), "--out", (alice.folder() / "plain").string()});
        EXPECT_EQ(dec.exitCode, 1) << c.what;
        EXPECT_NE(dec.err.find(c.message), std::string::npos) << c.what << ": " << dec.err;
        EXPECT_EQ(readText(container), c.bytes) << c.what;
        EXPECT_FALSE(fs::exists(alice.folder() / "plain" / "big.bin")) << c.what;
    }
}

#include "CliRunner.h"
#include "ScriptedInteraction.h"

#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "engine/EncryptionSettings.h"
#include "engine/FileEncryptor.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

using namespace mvx;
using namespace mvx::test;
namespace fs = std::filesystem;

namespace {

std::string textOf(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class CliDestinations : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        root = fs::temp_directory_path() / ("mvx-dest-" + std::to_string(rd()));
        fs::create_directories(root);
        table.FillEnglish();
    }
    void TearDown() override
    {
        ::unsetenv("MORVANEX_OPENER");
        ::unsetenv("MORVANEX_MAILER");
        std::error_code ec;
        for (auto& e : fs::recursive_directory_iterator(root, ec))
            fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(root, ec);
    }

    fs::path script(const std::string& name, const std::string& body)
    {
        const fs::path path = root / name;
        std::ofstream(path) << "#!/bin/sh\n" << body;
        fs::permissions(path, fs::perms::owner_all);
        return path;
    }

    // A container with a history, made by user for his own self-authentication key.
    fs::path containerFor(const CliUser& user, const std::string& userName, const std::string& mail)
    {
        const fs::path plain = root / "minutes.txt";
        std::ofstream(plain) << "minutes of the meeting";
        FileEncryptor encryptor(messenger);
        encryptor.setSender({user.publicKey().string(), (user.keyRoot() / (user.name() + "Private.kpri")).string(),
                             userName, mail, 0});
        encryptor.setRecipients({(user.keyFolder() / (user.name() + "))" + user.name() + "-auth.kpub")).string()});
        encryptor.setOptionWord(kOptionHistory);
        encryptor.setHistoryNames({{userName, mail}});
        encryptor.resetContentKey();
        const fs::path container = root / "minutes.txt.klx";
        EXPECT_EQ(encryptor.encryptBody(plain, container, 0), 1);
        EXPECT_EQ(encryptor.writeContainerTail(container, plain, kKindMainWindow), 1);
        fs::remove(plain);
        return container;
    }

    fs::path root;
    CMessageTable table;
    ScriptedInteraction ui;
    CMessenger messenger{table, ui};
};

} // namespace

TEST_F(CliDestinations, KeysAreFiledMovedAndDeleted)
{
    CliUser alice(root, "alice"), bob(root, "bob");
    ASSERT_EQ(alice.init("Alice", "alice@example.org").exitCode, 0);
    ASSERT_EQ(bob.init("Bob", "bob@example.org").exitCode, 0);
    const fs::path bobKey = root / "bob.kpub";
    fs::copy_file(bob.publicKey(), bobKey);

    ASSERT_EQ(alice.run({"keys", "mkdir", "friends"}).exitCode, 0);
    auto added = alice.run({"keys", "add", bobKey.string(), "--name", "Bob", "--mail", "bob@example.org"});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_FALSE(fs::exists(bobKey));
    auto missingMail = alice.run({"keys", "add", bob.publicKey().string(), "--name", "Bob"});
    EXPECT_EQ(missingMail.exitCode, 1);
    EXPECT_NE(missingMail.err.find("Set E-mail Address of This Public Key."), std::string::npos) << missingMail.err;

    auto same = alice.run({"keys", "move", "bob.kpub", "--to", alice.keyFolder().string()});
    EXPECT_EQ(same.exitCode, 1);
    EXPECT_NE(same.err.find("Cannot be moved because the selected foler is the same as the folder."), std::string::npos);
    ASSERT_EQ(alice.run({"keys", "move", "bob.kpub", "--to", (alice.keyFolder() / "friends").string()}).exitCode, 0);
    auto list = alice.run({"keys", "list", (alice.keyFolder() / "friends").string()});
    const auto lines = linesOf(list.out);
    ASSERT_EQ(lines.size(), 1u) << list.out;
    EXPECT_EQ(lines[0].rfind("Bob\tbob@example.org\tbob.kpub\t", 0), 0u);
    EXPECT_NE(lines[0].find("\tNot setting\tNot Used"), std::string::npos) << lines[0];

    ASSERT_EQ(alice.run({"keys", "modify", "bob.kpub", "--folder", (alice.keyFolder() / "friends").string(), "--name",
                         "Robert"})
                  .exitCode,
              0);
    EXPECT_EQ(alice.run({"keys", "list", (alice.keyFolder() / "friends").string()}).out.rfind("Robert\t", 0), 0u);

    // Without a terminal the deletion question takes the safe answer.
    auto kept = alice.run({"keys", "delete", "bob.kpub", "--folder", (alice.keyFolder() / "friends").string()});
    EXPECT_EQ(kept.exitCode, 1);
    EXPECT_TRUE(fs::exists(alice.keyFolder() / "friends" / "bob.kpub"));
    auto deleted =
        alice.run({"--yes", "keys", "delete", "bob.kpub", "--folder", (alice.keyFolder() / "friends").string()});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_FALSE(fs::exists(alice.keyFolder() / "friends" / "bob.kpub"));
    EXPECT_FALSE(fs::exists(alice.keyFolder() / "friends" / "pubkey_member.dat"));
    EXPECT_EQ(alice.run({"--yes", "keys", "rmdir", (alice.keyFolder() / "friends").string()}).exitCode, 0);
    EXPECT_FALSE(fs::exists(alice.keyFolder() / "friends"));
    EXPECT_EQ(alice.run({"keys", "outdated"}).out, "");
}

TEST_F(CliDestinations, StrayKeysAreListedAndRegistered)
{
    CliUser alice(root, "alice"), bob(root, "bob");
    ASSERT_EQ(alice.init("Alice", "alice@example.org").exitCode, 0);
    ASSERT_EQ(bob.init("Bob", "bob@example.org").exitCode, 0);
    fs::copy_file(bob.publicKey(), alice.keyFolder() / "bob.kpub");
    auto listed = alice.run({"keys", "stray", "--list"});
    EXPECT_EQ(listed.out, (alice.keyFolder() / "bob.kpub").string() + "\tbob\t\n");
    auto registered = alice.run({"--yes", "keys", "stray"});
    EXPECT_EQ(registered.out, "1\n");
    EXPECT_NE(registered.err.find("bobさんの鍵、\nbob.kpub\nを登録しました。"), std::string::npos) << registered.err;
    EXPECT_EQ(alice.run({"keys", "stray", "--list"}).out, "");
}

TEST_F(CliDestinations, HistoryOpenAndForward)
{
    CliUser alice(root, "alice");
    ASSERT_EQ(alice.init("Alice", "alice@example.org").exitCode, 0);
    const fs::path container = containerFor(alice, "Alice", "alice@example.org");

    auto history = alice.run({"history", container.string()});
    ASSERT_EQ(history.exitCode, 0) << history.err;
    auto rows = linesOf(history.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_NE(rows[0].find("\t新規作成\tAlice\talice@example.org"), std::string::npos) << rows[0];

    const fs::path opener = script("destination-opener.sh", "printf ', amended' >> \"$1\"\n");
    ::setenv("MORVANEX_OPENER", opener.c_str(), 1);
    auto opened = alice.run({"open", container.string()});
    EXPECT_EQ(opened.out, "updated\n") << opened.err;
    const fs::path viewer = script("viewer.sh", "cat \"$1\" > " + (root / "seen.txt").string() + "\n");
    ::setenv("MORVANEX_OPENER", viewer.c_str(), 1);
    EXPECT_EQ(alice.run({"open", container.string()}).out, "viewed\n");
    EXPECT_EQ(textOf(root / "seen.txt"), "minutes of the meeting, amended");
    rows = linesOf(alice.run({"history", container.string()}).out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_NE(rows[1].find("\t更新\t"), std::string::npos);
    EXPECT_NE(rows[2].find("\t閲覧\t"), std::string::npos);

    const fs::path mailer = script("mailer.sh", "for a in \"$@\"; do echo \"$a\"; done > " + (root / "mail.txt").string() + "\n");
    ::setenv("MORVANEX_MAILER", mailer.c_str(), 1);
    auto unknown = alice.run({"forward", container.string(), "--to", "stranger@example.org"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_NE(unknown.err.find("The address is not set. Please select the address. "), std::string::npos);
    EXPECT_FALSE(fs::exists(root / "mail.txt"));
    auto forwarded = alice.run({"forward", container.string(), "--to", "alice@example.org"});
    ASSERT_EQ(forwarded.exitCode, 0) << forwarded.err;
    EXPECT_EQ(linesOf(textOf(root / "mail.txt")),
              (std::vector<std::string>{"--utf8", "--subject", "Forwarding encrypted files", "--body",
                                        "The following files are forwarding.", "minutes.txt.klx", "--attach",
                                        container.string(), "alice@example.org"}));
}

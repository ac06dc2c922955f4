#include "TestWebService.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using mvx::test::makeTempFolder;
using mvx::test::ProgramOutput;
using mvx::test::removeTree;
using mvx::test::runCaptured;
using mvx::test::TestWebService;
using mvx::test::writeFile;
using nlohmann::json;

namespace {

const std::string kVectors = MORVANEX_TEST_DATA_DIR "/containers/";
const std::string kWrongPassword = "メールアドレス及びパスワードに誤りがあります";

class ServiceCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        service = &TestWebService::shared();
        service->configure({{"accounts", {{"me@example.com", "s3cret pw"}, {"partner@example.com", "x"}}}});
        folder = makeTempFolder("mvx-cli-");
        setenv("MORVANEX_SERVICE_URL", service->baseUrl().c_str(), 1);
        setenv("MORVANEX_SERVICE_PASSWORD", "s3cret pw", 1);
        setenv("MORVANEX_HOME", folder.c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("MORVANEX_SERVICE_PASSWORD");
        removeTree(folder);
    }
    ProgramOutput cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), MORVANEX_CLI);
        return runCaptured(args);
    }

    TestWebService* service = nullptr;
    std::string folder;
};

} // namespace

TEST_F(ServiceCommand, ConnectAndLogin)
{
    auto r = cli({"service", "connect"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "connect\n");

    r = cli({"service", "login", "--mail", "me@example.com"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "success\n");
    EXPECT_EQ(service->requests().back()["params"]["pw"][0], "s3cret pw");

    setenv("MORVANEX_SERVICE_PASSWORD", "wrong", 1);
    r = cli({"service", "login", "--mail", "me@example.com"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(kWrongPassword), std::string::npos) << r.err;
}

TEST_F(ServiceCommand, PasswordComesFromAFileOrNowhereElse)
{
    unsetenv("MORVANEX_SERVICE_PASSWORD");
    writeFile(folder + "pw", "s3cret pw\n");
    auto r = cli({"service", "login", "--mail", "me@example.com", "--password-file", folder + "pw"});
    EXPECT_EQ(r.status, 0) << r.err;

    r = cli({"service", "login", "--mail", "me@example.com", "--password", "s3cret pw"});
    EXPECT_EQ(r.status, 2);

    const size_t before = service->requests().size();
    r = cli({"service", "login", "--mail", "me@example.com"});  // no terminal to ask on
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("パスワードが入力されていません。"), std::string::npos) << r.err;
    EXPECT_EQ(service->requests().size(), before);
}

TEST_F(ServiceCommand, RegisterStatusAndGetKey)
{
    auto r = cli({"service", "status", "--mail", "me@example.com", "--key", kVectors + "sender.kpub"});
    EXPECT_EQ(r.out, "4\tnonkey\n");
    r = cli({"service", "register", "--mail", "me@example.com", "--key", kVectors + "sender.kpub"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "success\n");
    r = cli({"service", "status", "--mail", "me@example.com", "--key", kVectors + "sender.kpub"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "5\tkeyreg\n");

    r = cli({"service", "getkey", "me@example.com", "--out", folder + "me.kpub"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, folder + "me.kpub\n");
    EXPECT_EQ(TestWebService::readFile(folder + "me.kpub"), TestWebService::readFile(kVectors + "sender.kpub"));

    r = cli({"service", "getkey", "nobody@example.com", "--out", folder + "nobody.kpub"});
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(std::filesystem::exists(folder + "nobody.kpub"));
}

TEST_F(ServiceCommand, UploadAndEasySend)
{
    writeFile(folder + "a.txt", "alpha");
    writeFile(folder + "b.txt", "beta");
    auto r = cli({"service", "upload", folder + "a.txt", folder + "b.txt", "--mail", "me@example.com", "--subject",
                  "S", "--tag", "t1", "--tag", "t2"});
    EXPECT_EQ(r.status, 0) << r.err;
    auto parts = service->requests().back()["multipart"]["parts"];
    ASSERT_EQ(parts.size(), 9u);
    EXPECT_EQ(parts[3]["value"], "S");
    EXPECT_EQ(parts[6]["value"], "t2");
    EXPECT_EQ(TestWebService::readFile(parts[8]["stored"]), "beta");

    r = cli({"service", "easysend", folder + "a.txt", "--to", "p@example.com", "q@example.com", "--mail",
             "me@example.com"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "200\n");
    const json form = service->requests().back()["form"];
    EXPECT_EQ(form["sendto_adrs[]"], json({"p@example.com", "q@example.com"}));
    EXPECT_EQ(form["filename1"][0], "a.txt");
}

TEST_F(ServiceCommand, ServerKey)
{
    const std::string key = TestWebService::readFile(kVectors + "senderPrivate.kpri");
    std::string hex;
    for (unsigned char ch : key) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", ch);
        hex += two;
    }
    service->configure({{"accounts", {{"me@example.com", "s3cret pw"}}}, {"srvkeyhash", "H"}, {"serverkey", hex}});
    auto r = cli({"service", "serverkey", "--mail", "me@example.com", "--out", folder + "k.kpri"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TestWebService::readFile(folder + "k.kpri"), key);
}

TEST_F(ServiceCommand, UnreachableServiceShowsTheNetworkMessage)
{
    setenv("MORVANEX_SERVICE_URL", "https://127.0.0.1:1/", 1);
    auto r = cli({"service", "connect"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Webサービスに接続できません。"), std::string::npos) << r.err;
    // In English too, with the transport's reason.
    r = cli({"--lang", "en", "service", "connect"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("[error] The web service could not be reached.\nCheck the network settings.\n("),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("127.0.0.1 port 1"), std::string::npos) << r.err;
}

TEST_F(ServiceCommand, UsageErrors)
{
    EXPECT_EQ(cli({"service"}).status, 2);
    EXPECT_EQ(cli({"service", "fly"}).status, 2);
    EXPECT_EQ(cli({"service", "easysend", "x", "--mail", "me@example.com"}).status, 2);  // no --to
    EXPECT_EQ(cli({"service", "getkey", "--out", "x"}).status, 2);                        // no address
    EXPECT_EQ(cli({"service", "upload", "--mail", "me@example.com"}).status, 2);          // no files
    EXPECT_EQ(cli({"service", "connect", "--subject"}).status, 2);                        // missing value
}

TEST_F(ServiceCommand, OwnKeySetAndServiceUrlSettingAreTheDefaults)
{
    auto r = cli({"--home", folder, "init", "--key-root", folder + "keys", "--key-name", "Me", "--user", "Me",
                  "--mail", "me@example.com"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string settingsFile = folder + "Values.dat";
    std::string settings = TestWebService::readFile(settingsFile);
    const size_t section = settings.find("[KLX]");
    ASSERT_NE(section, std::string::npos) << settings;
    settings.insert(settings.find('\n', section) + 1, "ServiceURL=" + service->baseUrl() + "\n");
    writeFile(settingsFile, settings);
    unsetenv("MORVANEX_SERVICE_URL");

    r = cli({"--home", folder, "service", "register"});
    EXPECT_EQ(r.status, 0) << r.err;
    const auto request = service->requests().back();
    EXPECT_EQ(request["params"]["ma"][0], "me@example.com");
    EXPECT_EQ(request["params"]["pubkey"][0].get<std::string>().size(), 256u);

    r = cli({"--home", folder, "service", "getkey", "me@example.com", "--out", folder + "again.kpub"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TestWebService::readFile(folder + "again.kpub"), TestWebService::readFile(folder + "keys/Me.kpub"));
}

// Two users with key sets of their own: the sender's files go through the
// batches to the service, and what the service stored decrypts for the partner.
TEST_F(ServiceCommand, TransferReachesThePartnerEncryptedAndDecryptsForHim)
{
    service->configure({{"accounts", {{"me@example.com", "s3cret pw"}, {"partner@example.com", "s3cret pw"}}}});
    const std::string me = folder + "me/";
    const std::string partner = folder + "partner/";
    const std::string temporary = folder + "tmp/";
    for (const auto& made : {me, partner, temporary, folder + "inbox/", folder + "plain/"})
        std::filesystem::create_directories(made);
    auto r = cli({"--home", me, "init", "--key-root", me + "keys", "--key-name", "Me", "--user", "Me", "--mail",
                  "me@example.com"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = cli({"--home", partner, "init", "--key-root", partner + "keys", "--key-name", "Pat", "--user", "Pat",
             "--mail", "partner@example.com"});
    ASSERT_EQ(r.status, 0) << r.err;
    r = cli({"--home", partner, "service", "register"});
    ASSERT_EQ(r.status, 0) << r.err;

    const std::string contract = "Contract text\n" + std::string(70000, 'c');
    const std::string binary("\0\1\2\3\xff", 5);
    writeFile(folder + "contract.txt", contract);
    writeFile(folder + "notes.bin", binary);
    setenv("TMPDIR", temporary.c_str(), 1);
    r = cli({"--home", me, "service", "transfer", folder + "contract.txt", folder + "notes.bin", "--to",
             "partner@example.com", "--subject", "Contract"});
    unsetenv("TMPDIR");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "success\n");
    EXPECT_TRUE(std::filesystem::is_empty(temporary));  // fetched key and containers are gone
    EXPECT_EQ(TestWebService::readFile(folder + "contract.txt"), contract);  // the plain files stay

    const auto upload = service->requests().back();
    std::vector<std::string> addresses;
    std::vector<std::string> received;
    for (const auto& part : upload["multipart"]["parts"]) {
        if (part["name"] == "address[]")
            addresses.push_back(part["value"]);
        if (part["name"] != "upfile[]")
            continue;
        const std::string name = std::filesystem::path(part["filename"].get<std::string>()).filename().string();
        std::filesystem::copy_file(part["stored"].get<std::string>(), folder + "inbox/" + name);
        received.push_back(folder + "inbox/" + name);
    }
    EXPECT_EQ(addresses, std::vector<std::string>({"partner@example.com"}));
    ASSERT_EQ(received, std::vector<std::string>({folder + "inbox/contract.txt.klx", folder + "inbox/notes.bin.klx"}));
    EXPECT_EQ(TestWebService::readFile(received[0]).find("Contract text"), std::string::npos);

    // Only the partner's key set opens them.
    r = cli({"--home", me, "decrypt", received[1], "--out", folder + "mine/"});
    EXPECT_NE(r.status, 0);
    EXPECT_FALSE(std::filesystem::exists(folder + "mine/notes.bin"));

    r = cli({"--home", partner, "decrypt", received[0], received[1], "--out", folder + "plain/"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(TestWebService::readFile(folder + "plain/contract.txt"), contract);
    EXPECT_EQ(TestWebService::readFile(folder + "plain/notes.bin"), binary);
}

TEST_F(ServiceCommand, TransferWithoutAKeySetSendsNothing)
{
    writeFile(folder + "a.txt", "alpha");
    const size_t before = service->requests().size();
    auto r = cli({"--home", folder, "service", "transfer", folder + "a.txt", "--to", "partner@example.com", "--mail",
                  "me@example.com"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(service->requests().size(), before);
}

TEST_F(ServiceCommand, TransferOfAFileThatCannotBeEncryptedIsNotReportedAsDone)
{
    service->configure({{"accounts", {{"me@example.com", "s3cret pw"}, {"partner@example.com", "s3cret pw"}}}});
    const std::string me = folder + "me/";
    const std::string partner = folder + "partner/";
    ASSERT_EQ(cli({"--home", me, "init", "--key-root", me + "keys", "--key-name", "Me", "--user", "Me", "--mail",
                   "me@example.com"})
                  .status,
              0);
    ASSERT_EQ(cli({"--home", partner, "init", "--key-root", partner + "keys", "--key-name", "Pat", "--user", "Pat",
                   "--mail", "partner@example.com"})
                  .status,
              0);
    ASSERT_EQ(cli({"--home", partner, "service", "register"}).status, 0);
    writeFile(folder + "a.txt", "alpha");
    writeFile(folder + "old.klx", "already a container");  // the batch leaves these out

    auto r = cli({"--home", me, "service", "transfer", folder + "a.txt", folder + "old.klx", "--to",
                  "partner@example.com"});
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_EQ(r.out, "success\n");
    const json upload = service->requests().back();
    std::vector<std::string> sent;
    for (const auto& part : upload["multipart"]["parts"])
        if (part["name"] == "upfile[]")
            sent.push_back(std::filesystem::path(part["filename"].get<std::string>()).filename().string());
    EXPECT_EQ(sent, std::vector<std::string>({"a.txt.klx"}));
}

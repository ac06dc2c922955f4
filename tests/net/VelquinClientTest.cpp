#include "net/ITransferEncryptor.h"
#include "net/ServiceUrl.h"
#include "net/VelquinClient.h"

#include "engine/RsaBlob.h"

#include "TestWebService.h"

#include <gtest/gtest.h>

#include <openssl/bn.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>

#include <cctype>
#include <filesystem>
#include <sys/stat.h>

using namespace mvx::net;
using mvx::test::makeTempFolder;
using mvx::test::removeTree;
using mvx::test::TestWebService;
using mvx::test::writeFile;
using nlohmann::json;

namespace {

const std::string kVectors = MORVANEX_TEST_DATA_DIR "/containers/";

std::string readFile(const std::string& path) { return TestWebService::readFile(path); }

// The modulus as OpenSSL reads it from the key blob, in lower-case hex.
std::string modulusHexOf(const std::string& keyFile)
{
    const std::string bytes = readFile(keyFile);
    auto key = mvx::RsaBlob::importBlob(reinterpret_cast<const uint8_t*>(bytes.data()) + 4, bytes.size() - 4);
    BIGNUM* n = nullptr;
    if (!key || EVP_PKEY_get_bn_param(key.get(), OSSL_PKEY_PARAM_RSA_N, &n) != 1)
        return {};
    char* hex = BN_bn2hex(n);
    std::string text = hex;
    OPENSSL_free(hex);
    BN_free(n);
    for (auto& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string param(const json& request, const std::string& name)
{
    return request["params"].contains(name) ? request["params"][name][0].get<std::string>() : "<absent>";
}

unsigned modeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

class ServiceClient : public ::testing::Test {
protected:
    void SetUp() override
    {
        service = &TestWebService::shared();
        configure(json::object());
        folder = makeTempFolder("mvx-svc-");
    }
    void TearDown() override { removeTree(folder); }

    void configure(json extra)
    {
        json config = {{"accounts", {{"me@example.com", "p&w d"}, {"partner@example.com", "x"}}}};
        config.update(extra);
        service->configure(config);
    }
    std::unique_ptr<CVelquinClient> client(const std::string& mail = "me@example.com",
                                           const std::string& pw = "p&w d")
    {
        auto c = std::make_unique<CVelquinClient>(service->baseUrl());
        c->SetAccount(mail, pw);
        c->SetPublicKeyFile(kVectors + "sender.kpub");
        return c;
    }
    void registerPartner(const std::string& keyFile)
    {
        CVelquinClient partner(service->baseUrl());
        partner.SetAccount("partner@example.com", "x");
        partner.SetPublicKeyFile(keyFile);
        ASSERT_EQ(partner.RegisterKey(), "success");
    }

    TestWebService* service = nullptr;
    std::string folder;
};

} // namespace

TEST_F(ServiceClient, ConnectCheckAcceptsOnlyTheWordConnect)
{
    auto c = client();
    EXPECT_EQ(c->ConnectCheck(), 1);
    EXPECT_EQ(c->RequestCount(), 2);
    auto requests = service->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["path"], "/velquin/");
    EXPECT_EQ(requests[0]["query"], "action_api_common_connectcheck=true");
    EXPECT_EQ(requests[0]["headers"]["User-Agent"], CVelquinClient::UserAgent());

    configure({{"answers", {{"connectcheck", "connected"}}}});
    auto other = client();
    EXPECT_EQ(other->ConnectCheck(), 0);
    EXPECT_EQ(other->LastStatus(), 1);
}

TEST_F(ServiceClient, LoginMapsTheAnswerWords)
{
    auto good = client();
    EXPECT_EQ(good->Login(), 0);
    EXPECT_TRUE(good->IsLoggedIn());
    const auto requests = service->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["path"], "/velquin/api/");
    EXPECT_EQ(param(requests[0], "c"), "login");
    EXPECT_EQ(param(requests[0], "ma"), "me@example.com");
    EXPECT_EQ(param(requests[0], "pw"), "p&w d");  // sent encoded, arrives whole

    auto wrong = client("me@example.com", "guess");
    EXPECT_EQ(wrong->Login(), 2);
    EXPECT_FALSE(wrong->IsLoggedIn());

    configure({{"answers", {{"login", "maintenance"}}}});
    auto other = client();
    EXPECT_EQ(other->Login(), 255);
    EXPECT_FALSE(other->IsLoggedIn());
}

TEST_F(ServiceClient, RegisterKeySendsTheModulusMostSignificantFirst)
{
    auto c = client();
    EXPECT_EQ(c->RegisterKey(), "success");
    EXPECT_EQ(c->LastStatus(), 0);
    const auto requests = service->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(param(requests[0], "action_api_key_regkey"), "true");
    const std::string pubkey = param(requests[0], "pubkey");
    EXPECT_EQ(pubkey.size(), 256u);
    EXPECT_EQ(pubkey, modulusHexOf(kVectors + "sender.kpub"));

    configure({{"answers", {{"regkey", "dberr"}}}});
    auto other = client();
    EXPECT_EQ(other->RegisterKey(), "dberr");
    EXPECT_EQ(other->LastStatus(), 255);
}

TEST_F(ServiceClient, RegisterKeyWithoutKeyFileAnswersFailWithoutARequest)
{
    auto c = client();
    c->SetPublicKeyFile(folder + "missing.kpub");
    EXPECT_EQ(c->RegisterKey(), "fail");
    writeFile(folder + "short.kpub", std::string(100, 'k'));
    c->SetPublicKeyFile(folder + "short.kpub");
    EXPECT_EQ(c->RegisterKey(), "fail");
    EXPECT_TRUE(service->requests().empty());
    EXPECT_EQ(c->RequestCount(), 0);
}

TEST_F(ServiceClient, GetKeyRebuildsThePartnersKeyFile)
{
    registerPartner(kVectors + "reader.kpub");
    auto c = client();
    const std::string out = folder + "partner.kpub";
    EXPECT_EQ(c->GetKey("partner@example.com", out), 1);
    EXPECT_EQ(readFile(out), readFile(kVectors + "reader.kpub"));
    EXPECT_EQ(modeOf(out), 0444u);
    const auto requests = service->requests();
    EXPECT_EQ(param(requests.back(), "action_api_key_getkey"), "true");
    EXPECT_EQ(param(requests.back(), "ma"), "partner@example.com");
}

TEST_F(ServiceClient, ShortGetKeyAnswerFillsOnlyTheHighEnd)
{
    configure({{"answers", {{"getkey", "abcd01"}}}});
    auto c = client();
    const std::string out = folder + "short.kpub";
    ASSERT_EQ(c->GetKey("x@example.com", out), 1);
    const std::string bytes = readFile(out);
    ASSERT_EQ(bytes.size(), 152u);
    EXPECT_EQ(bytes.substr(0, 24), std::string("\x94\0\0\0\x06\x02\0\0\0\xA4\0\0RSA1\0\x04\0\0\x01\0\x01\0", 24));
    EXPECT_EQ(static_cast<unsigned char>(bytes[151]), 0xABu);
    EXPECT_EQ(static_cast<unsigned char>(bytes[150]), 0xCDu);
    EXPECT_EQ(static_cast<unsigned char>(bytes[149]), 0x01u);
    EXPECT_EQ(bytes.substr(24, 125), std::string(125, '\0'));
}

TEST_F(ServiceClient, GetKeyRefusesAnswersThatAreNoKey)
{
    const std::string out = folder + "old.kpub";
    writeFile(out, "previous key");
    for (const char* answer : {"nonkey", "fail", "", "abc", "zz", "<html>oops</html>"}) {
        configure({{"answers", {{"getkey", answer}}}});
        auto c = client();
        EXPECT_EQ(c->GetKey("x@example.com", out), 0) << answer;
    }
    configure({{"answers", {{"getkey", std::string(258, 'a')}}}});
    EXPECT_EQ(client()->GetKey("x@example.com", out), 0);
    EXPECT_EQ(readFile(out), "previous key");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

TEST_F(ServiceClient, KeyStatusExactWordsThenContainedWords)
{
    const std::pair<const char*, int> cases[] = {
        {"fail", 2},         {"dberr", 3},      {"nonkey", 4},      {"keyreg", 5},
        {"samekeyreg", 6},   {"x passkeyold", 7}, {"<b>httperror</b>", 1}, {"keyreg\n", 6 * 0},
        {"nonkey samekeyreg", 6}, {"httperror samekeyreg", 1},
    };
    for (const auto& [answer, expected] : cases) {
        configure({{"answers", {{"getkeystatus", answer}}}});
        auto c = client();
        EXPECT_EQ(c->GetKeyStatus(), expected) << answer;
    }
    configure(json::object());
    auto c = client();
    EXPECT_EQ(c->GetKeyStatus(), 4);  // nothing registered yet
    ASSERT_EQ(c->RegisterKey(), "success");
    EXPECT_EQ(c->GetKeyStatus(), 5);
    EXPECT_EQ(param(service->requests().back(), "pk"), modulusHexOf(kVectors + "sender.kpub"));
}

TEST_F(ServiceClient, ServerKeyIsFetchedWithItsHashAndWrittenUnchanged)
{
    const std::string key = readFile(kVectors + "otherPrivate.kpri");
    std::string hex;
    for (unsigned char ch : key) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", ch);
        hex += two;
    }
    configure({{"srvkeyhash", "h4sh&x y"}, {"serverkey", hex}});
    auto c = client();
    const std::string out = folder + "serverPrivate.kpri";
    c->SetOutputKeyFile(out);
    EXPECT_EQ(c->GetServerKey(), 0);
    EXPECT_EQ(readFile(out), key);
    EXPECT_EQ(modeOf(out), 0400u);
    const auto requests = service->requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(param(requests[0], "c"), "getsrvgenkey");
    EXPECT_EQ(param(requests[0], "srvkeyhash"), "<absent>");
    EXPECT_EQ(param(requests[1], "srvkeyhash"), "h4sh&x y");
    EXPECT_EQ(c->RequestCount(), 4);
}

TEST_F(ServiceClient, ServerKeyAnswersAndDamagedKeys)
{
    const std::string out = folder + "serverPrivate.kpri";
    for (const auto& [answer, expected] : {std::pair<const char*, int>{"fail", 2}, {"nonkey", 4}, {"pubkeyreg", 5}}) {
        configure({{"answers", {{"getsrvgenkey", answer}}}});
        auto c = client();
        c->SetOutputKeyFile(out);
        EXPECT_EQ(c->GetServerKey(), expected) << answer;
        EXPECT_EQ(service->requests().size(), 1u);
    }
    configure({{"srvkeyhash", "abc"}, {"serverkey", std::string(647 * 2, 'a')}});
    auto c = client();
    c->SetOutputKeyFile(out);
    EXPECT_EQ(c->GetServerKey(), 1);
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(ServiceClient, UploadToMyFolderPostsFieldsInOrder)
{
    writeFile(folder + "a.txt", "first file\n");
    writeFile(folder + "b.bin", std::string("\x01\x02\x03\x00\xFF", 5));
    auto c = client();
    c->SetSubject("Quarterly");
    c->SetMessage("");
    c->SetTags({"red", "blue"});
    c->SetFiles({folder + "a.txt", folder + "b.bin"});
    EXPECT_EQ(c->UploadToMyFolder(), "success");
    const auto requests = service->requests();
    ASSERT_EQ(requests.size(), 1u);
    ASSERT_TRUE(requests[0]["multipart"]["ok"].get<bool>());
    const json& parts = requests[0]["multipart"]["parts"];
    const std::vector<std::string> names = {"action_api_myfolder_postfile", "ma", "pw", "subject", "message",
                                            "tag[]", "tag[]", "upfile[]", "upfile[]"};
    ASSERT_EQ(parts.size(), names.size());
    for (size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(parts[i]["name"], names[i]);
    EXPECT_EQ(parts[2]["value"], "p&w d");
    EXPECT_EQ(parts[6]["value"], "blue");
    EXPECT_EQ(readFile(parts[8]["stored"]), std::string("\x01\x02\x03\x00\xFF", 5));
    EXPECT_EQ(parts[8]["filename"], folder + "b.bin");
    EXPECT_EQ(c->PostedBytes(), c->TotalBytes());
}

TEST_F(ServiceClient, EasySendNumbersTheUploadedFilesFromOne)
{
    writeFile(folder + "one.txt", "1");
    writeFile(folder + "three.dat", std::string(3000, '3'));
    auto c = client();
    c->SetFiles({folder + "one.txt", folder + "two-missing.txt", folder + "three.dat"});
    c->SetDestinations({"p@example.com", "q r@example.com"});
    c->SetSubject("s");
    c->SetMessage("m&m");
    EXPECT_EQ(c->EasySend(), 200);
    const auto requests = service->requests();
    ASSERT_EQ(requests.size(), 3u);  // the missing file never left the machine
    EXPECT_EQ(requests[0]["multipart"]["parts"][2]["name"], "sendfile");
    EXPECT_EQ(requests[0]["multipart"]["parts"][1]["value"], "1");
    const json& form = requests[2]["form"];
    EXPECT_EQ(form["action_top_ezsendto2_finish"][0], "true");
    EXPECT_EQ(form["sendfrom_adrs"][0], "me@example.com");
    EXPECT_EQ(form["sendto_adrs[]"], json({"p@example.com", "q r@example.com"}));
    EXPECT_EQ(form["message"][0], "m&m");
    EXPECT_EQ(form["filename1"][0], "one.txt");
    EXPECT_EQ(form["tmpfilename1"][0], "tmp0000");
    EXPECT_EQ(form["filesize1"][0], "1");
    EXPECT_EQ(form["filename2"][0], "three.dat");
    EXPECT_EQ(form["tmpfilename2"][0], "tmp0001");
    EXPECT_EQ(form["filesize2"][0], "3000");
    EXPECT_FALSE(form.contains("filename3"));
    EXPECT_EQ(c->RequestCount(), 6);
}

TEST_F(ServiceClient, EasySendLeavesOutFilesWithEmptyAnswers)
{
    writeFile(folder + "one.txt", "1");
    configure({{"answers", {{"savefile", ""}}}});
    auto c = client();
    c->SetFiles({folder + "one.txt"});
    c->SetDestinations({"p@example.com"});
    EXPECT_EQ(c->EasySend(), 0);
    EXPECT_EQ(service->requests().size(), 1u);  // no finish for nothing
}

namespace {

// Stands in for batch encryption: writes one output file per input that
// carries every recipient key it was given and the plain bytes, and
// remembers where it worked.
class RecordingEncryptor : public ITransferEncryptor {
public:
    std::vector<std::string> EncryptForTransfer(const std::vector<std::string>& files,
                                                const std::vector<std::string>& keys,
                                                const std::string& outputFolder) override
    {
        folder = outputFolder;
        keyFiles = keys;
        for (const auto& key : keys)
            keyContents.push_back(readFile(key));
        std::vector<std::string> made;
        for (const auto& file : files) {
            const std::string out = outputFolder + std::filesystem::path(file).filename().string() + ".klx";
            std::string bytes;
            for (const auto& key : keyContents)
                bytes += key;
            bytes += readFile(file);
            writeFile(out, bytes);
            made.push_back(out);
        }
        return made;
    }
    std::string folder;
    std::vector<std::string> keyFiles;
    std::vector<std::string> keyContents;
};

} // namespace

TEST_F(ServiceClient, TransferEncryptedFetchesKeysUploadsContainersAndCleansUp)
{
    registerPartner(kVectors + "reader.kpub");
    writeFile(folder + "plan.txt", "the plan");
    auto c = client();
    c->SetFiles({folder + "plan.txt"});
    c->SetDestinations({"partner@example.com", "nobody@example.com"});
    c->SetSubject("For you");
    RecordingEncryptor encryptor;
    EXPECT_EQ(c->TransferEncrypted(encryptor), "success");

    ASSERT_EQ(encryptor.keyFiles.size(), 1u);  // the unknown partner has no key
    const std::string keyName = std::filesystem::path(encryptor.keyFiles[0]).filename().string();
    EXPECT_EQ(keyName.substr(0, 3), "kpk");
    EXPECT_EQ(keyName.substr(keyName.size() - 5), ".kpub");
    EXPECT_EQ(encryptor.keyContents[0], readFile(kVectors + "reader.kpub"));
    EXPECT_FALSE(std::filesystem::exists(encryptor.folder));

    const auto requests = service->requests();
    ASSERT_EQ(requests.size(), 4u);  // register, two key fetches, the upload
    const json& parts = requests[3]["multipart"]["parts"];
    ASSERT_TRUE(requests[3]["multipart"]["ok"].get<bool>());
    ASSERT_EQ(parts.size(), 8u);
    EXPECT_EQ(parts[0]["name"], "action_api_transfer_nonenc");
    EXPECT_EQ(parts[3]["value"], "For you");
    EXPECT_EQ(parts[5]["name"], "address[]");
    EXPECT_EQ(parts[6]["value"], "nobody@example.com");
    EXPECT_EQ(parts[7]["name"], "upfile[]");
    EXPECT_EQ(readFile(parts[7]["stored"]), readFile(kVectors + "reader.kpub") + "the plan");
}

TEST_F(ServiceClient, TransferRemovesTemporaryFilesWhenTheUploadFails)
{
    registerPartner(kVectors + "reader.kpub");
    writeFile(folder + "plan.txt", "the plan");
    auto c = client("me@example.com", "wrong");
    c->SetFiles({folder + "plan.txt"});
    c->SetDestinations({"partner@example.com"});
    RecordingEncryptor encryptor;
    EXPECT_EQ(c->TransferEncrypted(encryptor), "fail");
    EXPECT_FALSE(encryptor.folder.empty());
    EXPECT_FALSE(std::filesystem::exists(encryptor.folder));

    configure({{"mode", "close"}});
    RecordingEncryptor second;
    auto d = client();
    d->SetFiles({folder + "plan.txt"});
    d->SetDestinations({"partner@example.com"});
    EXPECT_EQ(d->TransferEncrypted(second), "");
    EXPECT_TRUE(second.folder.empty());  // no key could be fetched, nothing was encrypted
}

TEST_F(ServiceClient, TransferWithoutAnyPartnerKeyUploadsNothing)
{
    writeFile(folder + "plan.txt", "the plan");
    auto c = client();
    c->SetFiles({folder + "plan.txt"});
    c->SetDestinations({"nobody@example.com"});
    RecordingEncryptor encryptor;
    EXPECT_EQ(c->TransferEncrypted(encryptor), "");
    EXPECT_TRUE(encryptor.folder.empty());
    EXPECT_EQ(service->requests().size(), 1u);
}

namespace {

class CopyingDecryptor : public IReceivedFileDecryptor {
public:
    explicit CopyingDecryptor(std::string out) : m_out(std::move(out)) {}
    int DecryptReceived(const std::vector<std::string>& containers) override
    {
        for (const auto& c : containers) {
            std::string bytes = readFile(c);
            writeFile(m_out + std::filesystem::path(c).stem().string(), bytes.substr(bytes.size() / 2));
            seen.push_back(c);
        }
        return static_cast<int>(containers.size());
    }
    std::vector<std::string> seen;

private:
    std::string m_out;
};

} // namespace

TEST_F(ServiceClient, ReceivedContainersAreHandedToDecryption)
{
    writeFile(folder + "a.klx", "xxxxplain");
    writeFile(folder + "b.KLX", "yyyydata");
    writeFile(folder + "c.txt", "not a container");
    std::filesystem::create_directory(folder + "d.klx");
    std::filesystem::create_directory(folder + "out");
    CopyingDecryptor decryptor(folder + "out/");
    const int count = CVelquinClient::HandOverReceived(
        {folder + "a.klx", folder + "b.KLX", folder + "c.txt", folder + "d.klx", folder + "gone.klx"}, decryptor);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(decryptor.seen, (std::vector<std::string>{folder + "a.klx", folder + "b.KLX"}));
    EXPECT_EQ(readFile(folder + "out/a"), "plain");
}

TEST_F(ServiceClient, FetchedKeysReplaceReadOnlyFilesAndNeverFollowLinks)
{
    registerPartner(kVectors + "reader.kpub");
    const std::string out = folder + "partner.kpub";
    writeFile(out, "old key");
    std::filesystem::permissions(out, std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
    auto c = client();
    EXPECT_EQ(c->GetKey("partner@example.com", out), 1);
    EXPECT_EQ(readFile(out), readFile(kVectors + "reader.kpub"));
    EXPECT_EQ(modeOf(out), 0444u);

    writeFile(folder + "target", "untouched");
    std::filesystem::create_symlink(folder + "target", folder + "link.kpub");
    EXPECT_EQ(c->GetKey("partner@example.com", folder + "link.kpub"), 0);
    EXPECT_EQ(readFile(folder + "target"), "untouched");
    EXPECT_TRUE(std::filesystem::is_symlink(folder + "link.kpub"));
}

TEST(ServiceUrl, EnvironmentThenSettingThenDefault)
{
    const char* saved = std::getenv("MORVANEX_SERVICE_URL");
    const std::string keep = saved ? saved : "";
    setenv("MORVANEX_SERVICE_URL", "https://env.example/base", 1);
    EXPECT_EQ(mvx::net::CServiceUrl::Resolve("https://setting.example/"), "https://env.example/base/");
    unsetenv("MORVANEX_SERVICE_URL");
    EXPECT_EQ(mvx::net::CServiceUrl::Resolve("https://setting.example"), "https://setting.example/");
    EXPECT_EQ(mvx::net::CServiceUrl::Resolve(""), "https://velquin.example/");
    if (saved)
        setenv("MORVANEX_SERVICE_URL", keep.c_str(), 1);
}

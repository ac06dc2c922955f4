#include "net/HttpClient.h"
#include "net/HttpClientException.h"
#include "net/HttpTool.h"
#include "net/ProgressWorker.h"
#include "net/VelquinClient.h"

#include "TestWebService.h"

#include "app/CMessageTable.h"

#include <gtest/gtest.h>

#include <openssl/evp.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <thread>

using namespace mvx::net;
using mvx::test::makeTempFolder;
using mvx::test::removeTree;
using mvx::test::TestWebService;
using mvx::test::writeFile;
using nlohmann::json;

namespace {

const std::string kVectors = MORVANEX_TEST_DATA_DIR "/containers/";

class HostileService : public ::testing::Test {
protected:
    void SetUp() override
    {
        service = &TestWebService::shared();
        folder = makeTempFolder("mvx-hostile-");
        writeFile(folder + "doc.txt", "document");
    }
    void TearDown() override { removeTree(folder); }

    void mode(const std::string& m)
    {
        service->configure({{"accounts", {{"me@example.com", "pw"}}}, {"mode", m}, {"srvkeyhash", "h"}});
    }
    std::unique_ptr<CVelquinClient> client()
    {
        auto c = std::make_unique<CVelquinClient>(service->baseUrl());
        c->SetAccount("me@example.com", "pw");
        c->SetPublicKeyFile(kVectors + "sender.kpub");
        c->SetOutputKeyFile(folder + "server.kpri");
        c->SetFiles({folder + "doc.txt"});
        c->SetDestinations({"p@example.com"});
        return c;
    }
    // Nothing but the input file may be left in the folder.
    void expectNothingWritten() const
    {
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
    }

    TestWebService* service = nullptr;
    std::string folder;
};

} // namespace

TEST_F(HostileService, GarbageAnswersAreNeverTakenForKeys)
{
    mode("garbage");
    auto c = client();
    EXPECT_EQ(c->ConnectCheck(), 0);
    EXPECT_EQ(c->Login(), 255);
    EXPECT_FALSE(c->IsLoggedIn());
    EXPECT_EQ(c->GetKey("p@example.com", folder + "p.kpub"), 0);
    EXPECT_EQ(c->GetKeyStatus(), 0);
    EXPECT_EQ(c->GetServerKey(), 1);
    EXPECT_EQ(c->UploadToMyFolder().size(), 700u);  // the body is handed back as it came
    EXPECT_FALSE(c->NetworkFailed());
    expectNothingWritten();
}

TEST_F(HostileService, ClosedConnectionsAreTransportFailures)
{
    mode("close");
    auto c = client();
    EXPECT_EQ(c->ConnectCheck(), 0);
    EXPECT_EQ(c->GetKey("p@example.com", folder + "p.kpub"), 0);
    EXPECT_EQ(c->GetServerKey(), 1);
    EXPECT_EQ(c->UploadToMyFolder(), "");
    EXPECT_EQ(c->EasySend(), 0);
    EXPECT_TRUE(c->NetworkFailed());
    expectNothingWritten();

    CHttpClientT raw;
    raw.AddParam("a", "b");
    raw.BeginUpload(service->baseUrl());
    EXPECT_THROW(
        {
            while (!raw.Proceed(1024)) {
            }
        },
        httpclientexceptionA);
    EXPECT_FALSE(raw.IsPostContextActive());
}

TEST_F(HostileService, HugeAnswersAreCutOffAtTheLimit)
{
    mode("huge");
    try {
        CHttpToolA::Get(service->baseUrl() + "?action_api_common_connectcheck=true", "");
        FAIL() << "a 64 MiB answer was accepted";
    } catch (const httpclientexceptionA& e) {
        EXPECT_EQ(e.LastError(), httpclientexceptionA::errResponseTooLarge);
    }
    auto c = client();
    EXPECT_EQ(c->GetKey("p@example.com", folder + "p.kpub"), 0);
    EXPECT_EQ(c->UploadToMyFolder(), "");
    EXPECT_EQ(c->GetServerKey(), 1);
    expectNothingWritten();
}

TEST_F(HostileService, ADrippingServerIsCutOffByTheTimeLimit)
{
    mode("drip");
    CHttpToolA::SetTimeLimit(2, CHttpToolA::kSlowestBytesPerSecond);
    auto c = client();
    EXPECT_EQ(c->ConnectCheck(), 0);
    EXPECT_EQ(c->UploadToMyFolder(), "");
    CHttpToolA::SetTimeLimit(CHttpToolA::kBaseTimeLimitSeconds, CHttpToolA::kSlowestBytesPerSecond);
    EXPECT_TRUE(c->NetworkFailed());
    EXPECT_NE(c->NetworkError().find("timed out"), std::string::npos) << c->NetworkError();
}

TEST_F(HostileService, StoppingTheWorkerEndsAHangingRequest)
{
    mode("drip");
    // Only a safety net: the stop, not the limit, must end the request.
    CHttpToolA::SetTimeLimit(30, CHttpToolA::kSlowestBytesPerSecond);
    mvx::CMessageTable table;
    table.FillEnglish();
    auto c = client();
    CProgressWorker worker(table, *c);
    worker.Start(CProgressWorker::Stage::UploadMyFolder, [](CVelquinClient& v) { v.UploadToMyFolder(); });
    while (worker.Poll().requestCount == 0)
        std::this_thread::yield();
    worker.Stop();
    worker.Wait();
    CHttpToolA::SetTimeLimit(CHttpToolA::kBaseTimeLimitSeconds, CHttpToolA::kSlowestBytesPerSecond);
    ASSERT_TRUE(worker.FailureMessage());
    EXPECT_NE(worker.FailureMessage()->find("the request was stopped"), std::string::npos) << *worker.FailureMessage();
}

TEST_F(HostileService, ErrorStatusesGiveHttpErrorOnGetAndTheBodyOnPost)
{
    mode("status500");
    auto c = client();
    EXPECT_EQ(c->RegisterKey(), "httperror");
    EXPECT_EQ(c->LastStatus(), 3);
    EXPECT_EQ(c->GetKeyStatus(), 1);
    EXPECT_EQ(c->UploadToMyFolder(), "dberr");
    EXPECT_EQ(c->LastStatus(), 500);
    EXPECT_EQ(c->EasySend(), 500);
    EXPECT_FALSE(c->NetworkFailed());
}

namespace {

std::string sha256Of(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr);
    std::vector<char> buffer(1 << 20);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        EVP_DigestUpdate(ctx, buffer.data(), static_cast<size_t>(in.gcount()));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(ctx, digest, &length);
    EVP_MD_CTX_free(ctx);
    std::string hex;
    for (unsigned i = 0; i < length; ++i) {
        const unsigned char ch = digest[i];
        char two[3];
        std::snprintf(two, sizeof two, "%02x", ch);
        hex += two;
    }
    return hex;
}

} // namespace

TEST_F(HostileService, FiftyMebibyteUploadArrivesIntact)
{
    constexpr size_t kSize = 50u * 1024u * 1024u;
    const std::string big = folder + "big.bin";
    {
        std::ofstream out(big, std::ios::binary);
        std::mt19937_64 random(20261209);
        std::vector<uint64_t> block(1 << 17);
        for (size_t written = 0; written < kSize; written += block.size() * 8) {
            for (auto& word : block)
                word = random();
            out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size() * 8));
        }
    }
    ASSERT_EQ(std::filesystem::file_size(big), kSize);
    mode("normal");
    auto c = client();
    c->SetFiles({big});
    EXPECT_EQ(c->UploadToMyFolder(), "success");
    EXPECT_GT(c->TotalBytes(), kSize);
    EXPECT_EQ(c->PostedBytes(), c->TotalBytes());
    EXPECT_EQ(c->RequestCount(), 2);

    const auto requests = service->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["body_size"].get<uint64_t>(), c->TotalBytes());
    ASSERT_TRUE(requests[0]["multipart"]["ok"].get<bool>()) << requests[0]["multipart"].dump();
    const json& file = requests[0]["multipart"]["parts"].back();
    EXPECT_EQ(file["size"].get<uint64_t>(), kSize);
    EXPECT_EQ(file["sha256"], sha256Of(big));
    EXPECT_EQ(file["content_type"], "application/octet-stream");
}

#include "net/HttpClient.h"
#include "net/HttpClientException.h"
#include "net/HttpPostBody.h"
#include "net/HttpTool.h"

#include "TestWebService.h"

#include <gtest/gtest.h>

#include <openssl/sha.h>

#include <cstdlib>

using namespace mvx::net;
using mvx::test::makeTempFolder;
using mvx::test::removeTree;
using mvx::test::TestWebService;
using mvx::test::writeFile;
using nlohmann::json;

namespace {

const std::string kBoundary = "----QORVU-fedcba98765432100123456789abcdef-";

std::string sha256Hex(const std::string& data)
{
    unsigned char digest[SHA256_DIGEST_LENGTH];
    SHA256(reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest);
    static const char hex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : digest) {
        out += hex[c >> 4];
        out += hex[c & 15];
    }
    return out;
}

std::string answerText(CHttpResponseT& response)
{
    std::string text;
    char buffer[10239];
    while (size_t got = response.ReadContent(buffer, sizeof buffer))
        text.append(buffer, got);
    return text;
}

CHttpResponseT runToEnd(CHttpClientT& client, size_t step = 1024)
{
    for (;;) {
        if (auto response = client.Proceed(step))
            return std::move(*response);
    }
}

class HttpClientOverTls : public ::testing::Test {
protected:
    void SetUp() override
    {
        service = &TestWebService::shared();
        service->configure({{"accounts", {{"me@example.com", "secret"}}}});
        folder = makeTempFolder("mvx-http-");
    }
    void TearDown() override { removeTree(folder); }

    TestWebService* service = nullptr;
    std::string folder;
};

} // namespace

TEST_F(HttpClientOverTls, UploadArrivesByteForByteAndParsesAsMultipart)
{
    const std::string file = folder + "report.txt";
    const std::string content = "line one\nline two\n";
    writeFile(file, content);
    CHttpClientT client(kBoundary);
    client.SetUserAgent("Morvanex - build1");
    client.AddParam("action_api_myfolder_postfile", "true");
    client.AddParam("ma", "me@example.com");
    client.AddParam("pw", "secret");
    client.AddParam("subject", "");
    client.AddParam("upfile[]", file, true);

    CHttpPostBody expected = CHttpPostBody::Multipart(client.Params(), kBoundary, false);
    CHttpPostStatT scratch;
    scratch.Start(expected.TotalBytes(), 5, 1);
    const std::string expectedBytes = expected.Next(1 << 20, scratch);

    client.BeginUpload(service->baseUrl());
    CHttpResponseT response = runToEnd(client);
    EXPECT_EQ(response.GetStatus(), 200);
    EXPECT_EQ(response.GetContentLength(), 7);
    EXPECT_EQ(answerText(response), "success");
    EXPECT_FALSE(client.IsPostContextActive());

    const auto requests = service->requests();
    ASSERT_EQ(requests.size(), 1u);
    const json& r = requests[0];
    EXPECT_EQ(TestWebService::readFile(r["body_file"]), expectedBytes);
    EXPECT_EQ(r["headers"]["Content-Type"], "multipart/form-data; boundary=" + kBoundary);
    EXPECT_EQ(r["headers"]["Content-Length"], std::to_string(expectedBytes.size()));
    EXPECT_EQ(r["headers"]["User-Agent"], "Morvanex - build1");
    EXPECT_EQ(r["headers"]["Cache-Control"], "no-cache");
    EXPECT_EQ(r["headers"]["Pragma"], "no-cache");
    ASSERT_TRUE(r["multipart"]["ok"].get<bool>()) << r["multipart"].dump();
    const json& parts = r["multipart"]["parts"];
    ASSERT_EQ(parts.size(), 5u);
    EXPECT_EQ(parts[0]["name"], "action_api_myfolder_postfile");
    EXPECT_EQ(parts[0]["value"], "true");
    EXPECT_EQ(parts[3]["name"], "subject");
    EXPECT_EQ(parts[3]["value"], "");
    EXPECT_EQ(parts[4]["filename"], file);
    EXPECT_EQ(parts[4]["content_type"], "text/plain");
    EXPECT_EQ(parts[4]["sha256"], sha256Hex(content));
}

TEST_F(HttpClientOverTls, FormPostSendsUrlEncodedPairs)
{
    CHttpClientT client;
    client.AddParam("action_top_ezsendto2_finish", "true");
    client.AddParam("subject", "a b&c");
    client.BeginPost(service->baseUrl());
    CHttpResponseT response = runToEnd(client, 3);
    EXPECT_EQ(answerText(response), "success");
    const auto requests = service->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(TestWebService::readFile(requests[0]["body_file"]),
              "action%5Ftop%5Fezsendto2%5Ffinish=true&subject=a+b%26c");
    EXPECT_EQ(requests[0]["headers"]["Content-Type"], "application/x-www-form-urlencoded");
    EXPECT_EQ(requests[0]["form"]["subject"][0], "a b&c");
}

TEST_F(HttpClientOverTls, UploadWithoutParametersSendsTheBareDelimiter)
{
    CHttpClientT client(kBoundary);
    client.BeginUpload(service->baseUrl());
    CHttpResponseT response = runToEnd(client);
    EXPECT_EQ(answerText(response), "fail");
    const auto requests = service->requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(TestWebService::readFile(requests[0]["body_file"]), "\r\n--" + kBoundary + "--\r\n");
}

TEST_F(HttpClientOverTls, ParametersAreFrozenWhilePosting)
{
    CHttpClientT client;
    client.AddParam("a", "b");
    client.BeginUpload(service->baseUrl());
    try {
        client.AddParam("c", "d");
        FAIL();
    } catch (const httpclientexceptionA& e) {
        EXPECT_STREQ(e.what(),
                     "CHttpClientT::AddParam: It is not allowed to call this method if the POST context is active.");
    }
    try {
        client.ClearParam();
        FAIL();
    } catch (const httpclientexceptionA& e) {
        EXPECT_STREQ(e.what(),
                     "CHttpClientT::ClearParam: It is not allowed to call this method if the POST context is active.");
    }
    try {
        client.Proceed(0);
        FAIL();
    } catch (const httpclientexceptionA& e) {
        EXPECT_STREQ(e.what(), "CHttpClientT::_ProceedUploadContext: nDesired can not be zero.");
    }
    // The failed call released the post; parameters can change again.
    EXPECT_FALSE(client.IsPostContextActive());
    client.ClearParam();
    EXPECT_TRUE(client.Params().Empty());
}

TEST_F(HttpClientOverTls, StatisticsCountTheWholeBody)
{
    const std::string file = folder + "blob.bin";
    writeFile(file, std::string(300000, 'b'));
    CHttpClientT client;
    client.AddParam("sendfile", file, true);
    client.BeginUpload(service->baseUrl());
    const CHttpPostStatT& stat = client.QueryPostStat();
    const uint64_t total = stat.ActualTotalByte();
    EXPECT_GT(total, 300000u);
    uint64_t lastPosted = 0;
    std::optional<CHttpResponseT> response;
    while (!(response = client.Proceed(1024))) {
        EXPECT_LE(stat.ActualPostedByte() - lastPosted, 1024u);
        lastPosted = stat.ActualPostedByte();
    }
    EXPECT_EQ(lastPosted, total);
    EXPECT_THROW(stat.ActualPostedByte(), httpclientexceptionA);
}

TEST_F(HttpClientOverTls, UntrustedCertificateIsRefused)
{
    const std::string ca = std::getenv("MORVANEX_CA_FILE");
    unsetenv("MORVANEX_CA_FILE");
    EXPECT_THROW(CHttpToolA::Get(service->baseUrl() + "?action_api_common_connectcheck=true", ""),
                 httpclientexceptionA);
    CHttpClientT client;
    EXPECT_THROW(
        {
            client.BeginUpload(service->baseUrl());
            runToEnd(client);
        },
        httpclientexceptionA);
    setenv("MORVANEX_CA_FILE", ca.c_str(), 1);
    EXPECT_TRUE(service->requests().empty());
    CHttpResponseT response = CHttpToolA::Get(service->baseUrl() + "?action_api_common_connectcheck=true", "");
    EXPECT_EQ(answerText(response), "connect");
}

TEST_F(HttpClientOverTls, NothingListeningIsAFailure)
{
    EXPECT_THROW(CHttpToolA::Get("https://127.0.0.1:1/", ""), httpclientexceptionA);
    CHttpClientT client;
    client.AddParam("a", "b");
    EXPECT_THROW(
        {
            client.BeginPost("https://127.0.0.1:1/");
            runToEnd(client);
        },
        httpclientexceptionA);
    EXPECT_FALSE(client.IsPostContextActive());
}

TEST_F(HttpClientOverTls, SecondBeginWhilePostingIsRefused)
{
    CHttpClientT client;
    client.BeginPost(service->baseUrl());
    try {
        client.BeginUpload(service->baseUrl());
        FAIL();
    } catch (const httpclientexceptionA& e) {
        EXPECT_STREQ(e.what(),
                     "CHttpClientT::BeginUpload: It is not allowed to call this method if the POST context is active.");
    }
    EXPECT_TRUE(client.IsPostContextActive());
    CHttpResponseT response = runToEnd(client);
    EXPECT_EQ(response.GetStatus(), 200);
    EXPECT_THROW(client.Proceed(1024), httpclientexceptionA);
}

TEST_F(HttpClientOverTls, PlainHttpIsNeverSpoken)
{
    const std::string plain = "http://127.0.0.1:" + std::to_string(service->port()) + "/velquin/";
    EXPECT_THROW(CHttpToolA::Get(plain + "?action_api_common_connectcheck=true", ""), httpclientexceptionA);
    CHttpClientT client;
    client.AddParam("pw", "secret");
    EXPECT_THROW(
        {
            client.BeginPost(plain);
            runToEnd(client);
        },
        httpclientexceptionA);
    EXPECT_TRUE(service->requests().empty());
}

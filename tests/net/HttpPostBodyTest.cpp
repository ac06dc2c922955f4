#include "net/HttpClient.h"
#include "net/HttpClientException.h"
#include "net/HttpPostBody.h"

#include "TestWebService.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

using namespace mvx::net;
using mvx::test::makeTempFolder;
using mvx::test::removeTree;
using mvx::test::writeFile;

namespace {

const std::string kBoundary = "----QORVU-0123456789abcdef0123456789abcdef-";

std::string drain(CHttpPostBody& body, size_t step, CHttpPostStatT& stat)
{
    std::string out;
    while (!body.Done()) {
        const std::string piece = body.Next(step, stat);
        EXPECT_LE(piece.size(), step);
        EXPECT_FALSE(piece.empty());
        out += piece;
    }
    return out;
}

// Bytes that libmagic does not recognise.
std::string unknownBytes(size_t size)
{
    std::string bytes(size, '\0');
    uint32_t x = 0x12345678;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<char>(x >> 24);
    }
    bytes[0] = '\x8F';
    bytes[1] = '\x01';
    return bytes;
}

class PostBody : public ::testing::Test {
protected:
    void SetUp() override { folder = makeTempFolder("mvx-body-"); }
    void TearDown() override { removeTree(folder); }
    std::string folder;
    CHttpPostStatT stat;
};

} // namespace

TEST_F(PostBody, MultipartLayoutIsExact)
{
    const std::string file = folder + "note.txt";
    writeFile(file, "hello\nworld\n");
    CHttpClientMapT params;
    params.Add("action_api_myfolder_postfile", "true", false);
    params.Add("subject", "", false);
    params.Add("upfile[]", file, true);
    CHttpPostBody body = CHttpPostBody::Multipart(params, kBoundary, false);
    const std::string expected =
        "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"action_api_myfolder_postfile\"\r\n\r\ntrue\r\n" +
        "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"subject\"\r\n\r\n\r\n" +
        "--" + kBoundary + "\r\nContent-Disposition: form-data; name=\"upfile[]\"; filename=\"" + file +
        "\"\r\nContent-Type: text/plain\r\n\r\nhello\nworld\n\r\n" +
        "--" + kBoundary + "--\r\n";
    EXPECT_EQ(body.TotalBytes(), expected.size());
    stat.Start(body.TotalBytes(), body.ParamCount(), body.FileCount());
    EXPECT_EQ(drain(body, 1024, stat), expected);
}

TEST_F(PostBody, SameBytesWhateverThePieceSize)
{
    const std::string file = folder + "data.bin";
    writeFile(file, unknownBytes(CHttpPostBody::kFileChunk * 2 + 77));
    CHttpClientMapT params;
    params.Add("a", "1", false);
    params.Add("sendfile", file, true);
    params.Add("b", "", false);
    std::string reference;
    for (const size_t step : {size_t(1) << 20, size_t(1024), size_t(7), size_t(1)}) {
        CHttpPostBody body = CHttpPostBody::Multipart(params, kBoundary, false);
        stat.Start(body.TotalBytes(), body.ParamCount(), body.FileCount());
        const std::string bytes = drain(body, step, stat);
        EXPECT_EQ(bytes.size(), body.TotalBytes());
        if (reference.empty())
            reference = bytes;
        EXPECT_EQ(bytes, reference) << "piece size " << step;
    }
    EXPECT_NE(reference.find("Content-Type: application/octet-stream\r\n\r\n" + unknownBytes(100).substr(0, 100)),
              std::string::npos);
}

TEST_F(PostBody, NoParametersGiveOnlyTheClosingDelimiter)
{
    CHttpPostBody body = CHttpPostBody::Multipart({}, kBoundary, false);
    stat.Start(body.TotalBytes(), 0, 0);
    EXPECT_EQ(drain(body, 1024, stat), "\r\n--" + kBoundary + "--\r\n");
}

TEST_F(PostBody, FormModeJoinsEncodedPairs)
{
    CHttpClientMapT params;
    params.Add("action_top_ezsendto2_finish", "true", false);
    params.Add("sendto_adrs[]", "a b&c@example.com", false);
    params.Add("subject", "", false);
    CHttpPostBody body = CHttpPostBody::Form(params, false);
    stat.Start(body.TotalBytes(), body.ParamCount(), 0);
    EXPECT_EQ(drain(body, 5, stat),
              "action%5Ftop%5Fezsendto2%5Ffinish=true&sendto%5Fadrs%5B%5D=a+b%26c%40example%2Ecom&subject=");
}

TEST_F(PostBody, QuotesAndLineBreaksCannotEndAPartHeader)
{
    const std::string file = folder + "a\"b\r\nX-Injected: 1.txt";
    writeFile(file, "x");
    CHttpClientMapT params;
    params.Add("up\"file", file, true);
    CHttpPostBody body = CHttpPostBody::Multipart(params, kBoundary, false);
    stat.Start(body.TotalBytes(), 1, 1);
    const std::string bytes = drain(body, 4096, stat);
    EXPECT_NE(bytes.find("name=\"up%22file\"; filename=\"" + folder + "a%22b%0D%0AX-Injected: 1.txt\"\r\n"),
              std::string::npos);
}

TEST_F(PostBody, StatisticsFollowTheParameters)
{
    const std::string file = folder + "f.bin";
    writeFile(file, std::string(1000, 'z'));
    CHttpClientMapT params;
    params.Add("t", "abc", false);
    params.Add("f", file, true);
    CHttpPostBody body = CHttpPostBody::Multipart(params, kBoundary, false);
    stat.Start(body.TotalBytes(), body.ParamCount(), body.FileCount());
    EXPECT_EQ(stat.TotalCount(), 2u);
    EXPECT_EQ(stat.FileCount(), 1u);
    const std::string first = body.Next(kBoundary.size() + 10, stat); // into the text header
    EXPECT_FALSE(stat.CurrParamIsFile());
    EXPECT_EQ(stat.CurrParamTotalByte(), 3u);
    std::string all = first;
    while (stat.PostedCount() < 1)
        all += body.Next(1, stat);
    EXPECT_TRUE(stat.CurrParamIsComplete());
    while (!stat.CurrParamIsFile() || stat.CurrParamPostedByte() < 400)
        all += body.Next(1, stat);
    EXPECT_EQ(stat.CurrParamTotalByte(), 1000u);
    EXPECT_EQ(stat.CurrParamRemainByte(), 600u);
    EXPECT_EQ(stat.PostedFileCount(), 0u);
    all += drain(body, 333, stat);
    EXPECT_EQ(stat.PostedCount(), 2u);
    EXPECT_EQ(stat.PostedFileCount(), 1u);
    EXPECT_EQ(stat.ActualPostedByte(), stat.ActualTotalByte());
    EXPECT_EQ(all.size(), body.TotalBytes());
}

TEST_F(PostBody, FileShorterThanLaidOutIsAFailure)
{
    const std::string file = folder + "shrinks.bin";
    writeFile(file, std::string(5000, 'q'));
    CHttpClientMapT params;
    params.Add("f", file, true);
    CHttpPostBody body = CHttpPostBody::Multipart(params, kBoundary, false);
    std::filesystem::resize_file(file, 100);
    stat.Start(body.TotalBytes(), 1, 1);
    try {
        drain(body, 1 << 20, stat);
        FAIL() << "a short read was not reported";
    } catch (const httpclientexceptionA& e) {
        EXPECT_EQ(e.LastError(), 105u);
    }
}

TEST_F(PostBody, MissingFileOrFolderIsRefusedAtLayout)
{
    CHttpClientMapT params;
    params.Add("f", folder + "absent", true);
    EXPECT_THROW(CHttpPostBody::Multipart(params, kBoundary, false), httpclientexceptionA);
    CHttpClientMapT folderParam;
    folderParam.Add("f", folder, true);
    EXPECT_THROW(CHttpPostBody::Multipart(folderParam, kBoundary, false), httpclientexceptionA);
}

TEST_F(PostBody, StatisticsOutsideAPostRaise)
{
    CHttpPostStatT idle;
    try {
        idle.ActualTotalByte();
        FAIL();
    } catch (const httpclientexceptionA& e) {
        EXPECT_STREQ(e.what(), "CHttpPostStatT::ActualTotalByte: The post context is not active.");
    }
    EXPECT_THROW(idle.CurrParamIsComplete(), httpclientexceptionA);
}

TEST(MimeType, SniffsTheFirstBytes)
{
    const std::string folder = makeTempFolder("mvx-mime-");
    writeFile(folder + "u.dat", unknownBytes(4096));
    writeFile(folder + "t.txt", "plain words of text\n");
    writeFile(folder + "p.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0", 29));
    writeFile(folder + "empty", "");
    EXPECT_EQ(CHttpClientT::GetMimeType(folder + "u.dat"), "application/octet-stream");
    EXPECT_EQ(CHttpClientT::GetMimeType(folder + "t.txt"), "text/plain");
    EXPECT_EQ(CHttpClientT::GetMimeType(folder + "p.png"), "image/png");
    EXPECT_EQ(CHttpClientT::GetMimeType(folder + "empty"), "application/octet-stream");
    EXPECT_EQ(CHttpClientT::GetMimeType(folder + "absent"), "application/octet-stream");
    removeTree(folder);
}

TEST(Boundary, FormatFromTheGuidFields)
{
    const std::array<unsigned char, 16> guid = {0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0x0E,
                                                0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    EXPECT_EQ(CHttpClientT::MakeBoundary(guid), "----QORVU-123456789abc0ef00123456789abcdef-");
}

TEST(Boundary, EveryClientGetsAFreshOne)
{
    CHttpClientT a;
    CHttpClientT b;
    const std::regex shape("----QORVU-[0-9a-f]{32}-");
    EXPECT_TRUE(std::regex_match(a.Boundary(), shape)) << a.Boundary();
    EXPECT_EQ(a.Boundary().size(), 43u);
    EXPECT_NE(a.Boundary(), b.Boundary());
    EXPECT_EQ(a.UploadContentType(), "multipart/form-data; boundary=" + a.Boundary());
}

#include "net/ITransferEncryptor.h"
#include "net/ProgressWorker.h"

#include "app/CMessageTable.h"

#include "TestWebService.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <future>

using namespace mvx::net;
using mvx::test::makeTempFolder;
using mvx::test::removeTree;
using mvx::test::TestWebService;
using mvx::test::writeFile;

namespace {

const std::string kVectors = MORVANEX_TEST_DATA_DIR "/containers/";

// Holds the transfer inside encryption until the test lets it go.
class GateEncryptor : public ITransferEncryptor {
public:
    std::vector<std::string> EncryptForTransfer(const std::vector<std::string>& files,
                                                const std::vector<std::string>&,
                                                const std::string& outputFolder) override
    {
        entered.set_value();
        release.get_future().wait();
        std::vector<std::string> made;
        for (const auto& file : files) {
            const std::string out = outputFolder + std::filesystem::path(file).filename().string() + ".klx";
            writeFile(out, "container of " + TestWebService::readFile(file));
            made.push_back(out);
        }
        return made;
    }
    std::promise<void> entered;
    std::promise<void> release;
};

class ProgressWorker : public ::testing::Test {
protected:
    void SetUp() override
    {
        service = &TestWebService::shared();
        service->configure({{"accounts", {{"me@example.com", "pw"}, {"partner@example.com", "x"}}}});
        folder = makeTempFolder("mvx-progress-");
        table.FillJapanese();
    }
    void TearDown() override { removeTree(folder); }

    TestWebService* service = nullptr;
    std::string folder;
    mvx::CMessageTable table;
};

} // namespace

TEST_F(ProgressWorker, ShowsStageCounterAndFileWhileTheOperationRuns)
{
    CVelquinClient partner(service->baseUrl());
    partner.SetAccount("partner@example.com", "x");
    partner.SetPublicKeyFile(kVectors + "reader.kpub");
    ASSERT_EQ(partner.RegisterKey(), "success");

    writeFile(folder + "doc.txt", "document");
    CVelquinClient client(service->baseUrl());
    client.SetAccount("me@example.com", "pw");
    client.SetFiles({folder + "doc.txt"});
    client.SetDestinations({"partner@example.com"});
    GateEncryptor encryptor;
    auto entered = encryptor.entered.get_future();
    std::string answer;
    CProgressWorker worker(table, client);
    EXPECT_EQ(worker.Poll().stageText, "処理を開始します...");
    worker.Start(CProgressWorker::Stage::Transfer,
                 [&](CVelquinClient& c) { answer = c.TransferEncrypted(encryptor); });
    entered.wait();
    const auto during = worker.Poll();
    EXPECT_FALSE(during.finished);
    EXPECT_EQ(during.requestCount, 2);
    EXPECT_EQ(during.stageText, "公開鍵暗号化処理中....");
    EXPECT_FALSE(worker.FailureMessage());
    encryptor.release.set_value();
    worker.Wait();
    const auto after = worker.Poll();
    EXPECT_TRUE(after.finished);
    EXPECT_EQ(after.requestCount, 4);
    EXPECT_EQ(after.fileLine, "doc.txt.klxをアップロード中です...");
    EXPECT_EQ(after.postedBytes, after.totalBytes);
    EXPECT_EQ(answer, "success");
    EXPECT_FALSE(worker.FailureMessage());
}

TEST_F(ProgressWorker, ReportsANetworkFailureWithItsReasonInEitherLanguage)
{
    CVelquinClient client("https://127.0.0.1:1/");
    CProgressWorker worker(table, client);
    int result = -1;
    worker.Start(CProgressWorker::Stage::AccountCheck, [&](CVelquinClient& c) { result = c.ConnectCheck(); });
    worker.Wait();
    EXPECT_EQ(result, 0);
    ASSERT_TRUE(worker.FailureMessage());
    const std::string reason = "(" + client.NetworkError() + ")";
    EXPECT_NE(reason.find("127.0.0.1"), std::string::npos) << reason;
    EXPECT_EQ(*worker.FailureMessage(), "Webサービスに接続できません。\nネットワークの設定をご確認ください。\n" + reason);
    table.FillEnglish();
    EXPECT_EQ(*worker.FailureMessage(), "The web service could not be reached.\nCheck the network settings.\n" + reason);
}

TEST_F(ProgressWorker, StageTextsFollowTheOperation)
{
    CVelquinClient client(service->baseUrl());
    const std::pair<CProgressWorker::Stage, const char*> stages[] = {
        {CProgressWorker::Stage::EasySend, "ファイルをアップロード中..."},
        {CProgressWorker::Stage::RegisterKey, "公開鍵の登録"},
        {CProgressWorker::Stage::Transfer, "公開鍵の取得"},
        {CProgressWorker::Stage::UploadMyFolder, "マイフォルダへアップロード中..."},
        {CProgressWorker::Stage::ServerKey, "鍵の準備中です..."},
        {CProgressWorker::Stage::KeyStatus, "鍵の登録状況を確認中..."},
    };
    for (const auto& [stage, text] : stages) {
        CProgressWorker worker(table, client);
        std::promise<void> release;
        auto gate = release.get_future().share();
        worker.Start(stage, [gate](CVelquinClient&) { gate.wait(); });
        EXPECT_EQ(worker.Poll().stageText, text);
        release.set_value();
        worker.Wait();
        EXPECT_TRUE(worker.Poll().finished);
    }
}

TEST_F(ProgressWorker, RefreshWaitEndsWhenTheOperationEnds)
{
    CVelquinClient client(service->baseUrl());
    CProgressWorker worker(table, client);
    std::promise<void> release;
    auto gate = release.get_future().share();
    worker.Start(CProgressWorker::Stage::AccountCheck, [gate](CVelquinClient& c) {
        gate.wait();
        c.ConnectCheck();
    });
    EXPECT_FALSE(worker.Finished());
    release.set_value();
    while (!worker.WaitForRefresh()) {
    }
    EXPECT_TRUE(worker.Poll().finished);
    EXPECT_EQ(worker.Poll().requestCount, 2);
}

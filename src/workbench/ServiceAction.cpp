#include "workbench/ServiceAction.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "net/ProgressWorker.h"
#include "net/ServiceUrl.h"
#include "net/VelquinClient.h"
#include "platform/SecretMemory.h"
#include "workbench/AppSession.h"
#include "workbench/BatchTransfer.h"
#include "workbench/WorkbenchSession.h"

namespace mvx {

using net::CProgressWorker;
using net::CVelquinClient;

namespace {

CProgressWorker::Stage stageOf(const std::string& action)
{
    if (action == "register")
        return CProgressWorker::Stage::RegisterKey;
    if (action == "status")
        return CProgressWorker::Stage::KeyStatus;
    if (action == "serverkey")
        return CProgressWorker::Stage::ServerKey;
    if (action == "upload")
        return CProgressWorker::Stage::UploadMyFolder;
    if (action == "easysend")
        return CProgressWorker::Stage::EasySend;
    if (action == "getkey" || action == "transfer")
        return CProgressWorker::Stage::Transfer;
    return CProgressWorker::Stage::AccountCheck;
}

// The batches' containers counted on their way to the upload: a file the
// batch could not encrypt has had its own message and is not sent.
class CountingTransferEncryptor : public net::ITransferEncryptor {
public:
    explicit CountingTransferEncryptor(net::ITransferEncryptor& batches) : batches_(batches) {}

    std::vector<std::string> EncryptForTransfer(const std::vector<std::string>& files,
                                                const std::vector<std::string>& recipientKeyFiles,
                                                const std::string& outputFolder) override
    {
        auto made = batches_.EncryptForTransfer(files, recipientKeyFiles, outputFolder);
        made_ = made.size();
        return made;
    }
    size_t made() const { return made_; }

private:
    net::ITransferEncryptor& batches_;
    size_t made_ = 0;
};

ServiceAction::Result outcome(bool ok, std::string answer, int failureSlot = Msg::WebNetworkUnavailable)
{
    ServiceAction::Result result;
    result.ok = ok;
    result.answer = std::move(answer);
    result.failureSlot = ok ? ServiceAction::kNoFurtherMessage : failureSlot;
    return result;
}

void configure(CVelquinClient& client, const ServiceAction::Request& r)
{
    client.SetAccount(r.mail, r.password);
    client.SetPublicKeyFile(r.keyFile);
    client.SetOutputKeyFile(r.out);
    client.SetFiles(r.files);
    client.SetDestinations(r.to);
    client.SetSubject(r.subject);
    client.SetMessage(r.message);
    client.SetTags(r.tags);
}

} // namespace

ServiceAction::ServiceAction(AppSession& session, Request request) : session_(session), request_(std::move(request))
{
}

ServiceAction::~ServiceAction() { wipeText(request_.password); }

bool ServiceAction::needsAccount(const std::string& action)
{
    return action == "login" || action == "register" || action == "status" || action == "serverkey" ||
           action == "upload" || action == "transfer";
}

void ServiceAction::showFailure(CMessenger& messenger, const Result& result)
{
    if (result.networkFailure)
        messenger.showText(*result.networkFailure, MsgIcon::Stop);
    else if (result.failureSlot != kNoFurtherMessage)
        messenger.show(result.failureSlot, MsgIcon::Stop);
}

const char* ServiceAction::keyStatusWord(int status)
{
    static const char* const words[] = {"unknown", "httperror", "fail", "dberr", "nonkey",
                                        "keyreg", "samekeyreg", "passkeyold"};
    return status >= 0 && status <= 7 ? words[status] : "unknown";
}

ServiceAction::Result ServiceAction::run(const std::function<void(const std::string&)>& onProgress)
{
    std::string shown;
    return runWithSnapshots([&](const CProgressWorker::Snapshot& snapshot) {
        const std::string line = snapshot.fileLine.empty() ? snapshot.stageText : snapshot.fileLine;
        if (line != shown && !snapshot.finished && onProgress)
            onProgress(line);
        shown = line;
    });
}

ServiceAction::Result
ServiceAction::runWithSnapshots(const std::function<void(const CProgressWorker::Snapshot&)>& onSnapshot)
{
    CVelquinClient client(net::CServiceUrl::Resolve(session_.settings().serviceUrl));
    configure(client, request_);
    Result result;
    CProgressWorker worker(session_.table(), client);
    worker.Start(stageOf(request_.action), [&](CVelquinClient& working) { result = perform(working); });
    do {
        if (stopRequested_)
            worker.Stop();
        if (onSnapshot)
            onSnapshot(worker.Poll());
    } while (!worker.WaitForRefresh());
    worker.Wait();
    if (auto failure = worker.FailureMessage()) {
        result = {};
        result.networkFailure = std::move(failure);
    }
    return result;
}

// Runs on the worker thread.
ServiceAction::Result ServiceAction::perform(CVelquinClient& client)
{
    const std::string& a = request_.action;
    if (a == "connect")
        return outcome(client.ConnectCheck() == 1, "connect");
    if (a == "login") {
        const int login = client.Login();
        return outcome(login == CVelquinClient::LoginSuccess, "success",
                       login == CVelquinClient::LoginFail ? Msg::WrongMailOrPassword : Msg::ServiceSystemError);
    }
    if (a == "register") {
        const std::string answer = client.RegisterKey();
        return outcome(answer == "success", answer, Msg::ServiceSystemError);
    }
    if (a == "status") {
        const int status = client.GetKeyStatus();
        return outcome(status >= 4 && status <= 7, std::to_string(status) + "\t" + keyStatusWord(status),
                       status == 2 ? Msg::WrongMailOrPassword : Msg::ServiceSystemError);
    }
    if (a == "getkey")
        return outcome(client.GetKey(request_.files[0], request_.out) == 1, request_.out, Msg::ServiceSystemError);
    if (a == "serverkey") {
        const int key = client.GetServerKey();
        return outcome(key == CVelquinClient::ServerKeyWritten, request_.out,
                       key == CVelquinClient::ServerKeyFail ? Msg::WrongMailOrPassword : Msg::ServiceSystemError);
    }
    if (a == "transfer")
        return transfer(client);
    if (a == "upload") {
        const std::string answer = client.UploadToMyFolder();
        return outcome(answer == "success", answer, Msg::ServiceSystemError);
    }
    const long status = client.EasySend();
    return outcome(status == 200, std::to_string(status), Msg::ServiceSystemError);
}

// The partners' keys fetched, the files encrypted for them by the batches, the containers uploaded.
ServiceAction::Result ServiceAction::transfer(CVelquinClient& client)
{
    WorkbenchSession workbench(session_.messenger(), session_.settings(), session_.keys(), session_.settingsFound());
    BatchTransfer batches(workbench);
    CountingTransferEncryptor counted(batches);
    const std::string answer = client.TransferEncrypted(counted);
    if (answer == "success" && counted.made() != request_.files.size())
        return outcome(false, answer, kNoFurtherMessage);  // sent, but not every file
    return outcome(answer == "success", answer, Msg::ServiceSystemError);
}

} // namespace mvx

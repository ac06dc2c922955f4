#pragma once

#include "net/ProgressWorker.h"

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

class AppSession;

// One request to the web delivery service, run behind the progress worker
// as the login button, the barcode and the transfer windows and
// "morvanex-cli service" run it: the account and key requests, the uploads
// and the encrypted transfer through the batches.
class ServiceAction {
public:
    struct Request {
        std::string action;  // connect, login, register, status, getkey, serverkey, upload, easysend, transfer
        std::vector<std::string> files;
        std::vector<std::string> to;
        std::vector<std::string> tags;
        std::string mail;
        std::string password;
        std::string keyFile;
        std::string out;
        std::string subject;
        std::string message;
    };

    static constexpr int kNoFurtherMessage = -1;

    struct Result {
        bool ok = false;
        // What the request gave back: the answer word, a status, a file written.
        std::string answer;
        // The message for a failure the service reported (kNoFurtherMessage: none).
        int failureSlot = kNoFurtherMessage;
        // The network failure that ended the worker, already in words.
        std::optional<std::string> networkFailure;
    };

    ServiceAction(AppSession& session, Request request);
    // The password is overwritten when the action ends.
    ~ServiceAction();
    ServiceAction(const ServiceAction&) = delete;
    ServiceAction& operator=(const ServiceAction&) = delete;

    // Runs the request; progress lines (stage, file being uploaded) go to
    // onProgress from the calling thread while the worker runs.
    Result run(const std::function<void(const std::string&)>& onProgress);
    // The same, handing every poll's snapshot (stage, file, bytes sent) to onSnapshot.
    Result runWithSnapshots(const std::function<void(const net::CProgressWorker::Snapshot&)>& onSnapshot);
    // From any thread: the request under way fails at once and run() returns
    // within a refresh period.
    void stop() { stopRequested_ = true; }

    static bool needsAccount(const std::string& action);
    // The network failure, or the message of the failure the service reported.
    static void showFailure(class CMessenger& messenger, const Result& result);
    static const char* keyStatusWord(int status);

private:
    Result perform(net::CVelquinClient& client);
    Result transfer(net::CVelquinClient& client);

    AppSession& session_;
    Request request_;
    std::atomic<bool> stopRequested_ = false;
};

} // namespace mvx

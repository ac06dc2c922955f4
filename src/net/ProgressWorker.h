#pragma once

#include "net/VelquinClient.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace mvx {
class CMessageTable;
}

namespace mvx::net {

// The logic of the progress window of web service operations: the
// operation runs on a worker thread of its own, and whoever displays it
// polls every kRefreshMilliseconds for the request counter, the stage text
// and the file being uploaded. When the thread has ended, a network failure
// is reported with its message.
class CProgressWorker {
public:
    static constexpr int kRefreshMilliseconds = 500;
    static constexpr int kTimerId = 0x100;

    enum class Stage { Starting, AccountCheck, EasySend, RegisterKey, Transfer, UploadMyFolder, ServerKey, KeyStatus };

    struct Snapshot {
        int requestCount = 0;
        std::string stageText;
        std::string fileLine;   // "%sをアップロード中です..." with the current file, or empty
        uint64_t postedBytes = 0;
        uint64_t totalBytes = 0;
        bool finished = false;
    };

    CProgressWorker(const CMessageTable& table, CVelquinClient& client);
    ~CProgressWorker();
    CProgressWorker(const CProgressWorker&) = delete;
    CProgressWorker& operator=(const CProgressWorker&) = delete;

    // Starts the operation on the worker thread (once).
    void Start(Stage stage, std::function<void(CVelquinClient&)> operation);
    Snapshot Poll() const;
    bool Finished() const { return m_finished.load(); }
    // Waits for the thread to end.
    void Wait();
    // Asks the operation to end: the request under way fails at once, and so
    // do the ones after it; Wait() then returns soon.
    void Stop() { m_client.Stop(); }
    // Waits at most the refresh period; true once the operation has finished.
    bool WaitForRefresh();
    // After the end: the network-failure message, with the transport's reason,
    // when a request could not reach the service.
    std::optional<std::string> FailureMessage() const;

private:
    std::string stageText() const;

    const CMessageTable& m_table;
    CVelquinClient& m_client;
    std::atomic<Stage> m_stage{Stage::Starting};
    std::atomic<bool> m_finished{false};
    std::mutex m_finishLock;
    std::condition_variable m_finishedSignal;
    std::thread m_thread;
};

} // namespace mvx::net

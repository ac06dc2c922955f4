#include "net/ProgressWorker.h"

#include "app/CMessageTable.h"
#include "app/MessageFormat.h"
#include "app/Msg.h"

#include <filesystem>

namespace mvx::net {

CProgressWorker::CProgressWorker(const CMessageTable& table, CVelquinClient& client)
    : m_table(table), m_client(client)
{
}

CProgressWorker::~CProgressWorker() { Wait(); }

void CProgressWorker::Start(Stage stage, std::function<void(CVelquinClient&)> operation)
{
    if (m_thread.joinable())
        return;
    m_stage = stage;
    m_finished = false;
    m_thread = std::thread([this, operation = std::move(operation)] {
        operation(m_client);
        std::lock_guard<std::mutex> lock(m_finishLock);
        m_finished = true;
        m_finishedSignal.notify_all();
    });
}

void CProgressWorker::Wait()
{
    if (m_thread.joinable())
        m_thread.join();
}

bool CProgressWorker::WaitForRefresh()
{
    std::unique_lock<std::mutex> lock(m_finishLock);
    return m_finishedSignal.wait_for(lock, std::chrono::milliseconds(kRefreshMilliseconds),
                                     [this] { return m_finished.load(); });
}

std::string CProgressWorker::stageText() const
{
    switch (m_stage.load()) {
    case Stage::EasySend:
        return m_table.text(Msg::WebUploadingFiles);
    case Stage::RegisterKey:
        return m_table.text(Msg::WebRegisteringKey);
    case Stage::Transfer:
        return m_table.text(m_client.Phase() == CVelquinClient::TransferPhase::Encrypting ||
                                    m_client.Phase() == CVelquinClient::TransferPhase::Uploading
                                ? Msg::WebEncryptingForKeys
                                : Msg::WebFetchingKey);
    case Stage::UploadMyFolder:
        return m_table.text(Msg::WebUploadingToMyFolder);
    case Stage::ServerKey:
        return m_table.text(Msg::WebPreparingKey);
    case Stage::KeyStatus:
        return m_table.text(Msg::WebCheckingKeyStatus);
    case Stage::Starting:
    case Stage::AccountCheck:
        break;
    }
    return m_table.text(Msg::WebStarting);
}

CProgressWorker::Snapshot CProgressWorker::Poll() const
{
    Snapshot snapshot;
    snapshot.finished = m_finished.load();
    snapshot.requestCount = m_client.RequestCount();
    snapshot.stageText = stageText();
    const std::string file = m_client.CurrentFile();
    if (!file.empty())
        snapshot.fileLine =
            formatMessage(m_table.text(Msg::WebUploadingFile), std::filesystem::path(file).filename().string());
    snapshot.postedBytes = m_client.PostedBytes();
    snapshot.totalBytes = m_client.TotalBytes();
    return snapshot;
}

std::optional<std::string> CProgressWorker::FailureMessage() const
{
    if (!m_finished.load() || !m_client.NetworkFailed())
        return std::nullopt;
    return formatMessage(m_table.text(Msg::NetworkFailedBecause), m_client.NetworkError());
}

} // namespace mvx::net

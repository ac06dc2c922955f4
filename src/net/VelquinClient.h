#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace mvx::net {

class CHttpClientT;
class ITransferEncryptor;
class IReceivedFileDecryptor;

// Client of the web file-delivery service. One object serves one operation;
// the account (mail address and password) is sent with every request that
// needs it. Requests run on the progress worker's thread; the counter, the
// current file and the byte counts may be read from another thread.
class CVelquinClient {
public:
    // Results of GetKeyStatus.
    enum KeyStatus { StatusUnknown = 0, StatusHttpError = 1, StatusFail = 2, StatusDbError = 3, StatusNoKey = 4,
                     StatusKeyRegistered = 5, StatusSameKeyRegistered = 6, StatusPassKeyOld = 7 };
    // Results of GetServerKey.
    enum ServerKeyResult { ServerKeyWritten = 0, ServerKeyFailed = 1, ServerKeyFail = 2, ServerKeyNoKey = 4,
                           ServerKeyPublicKeyRegistered = 5 };
    // Results of Login.
    enum LoginResult { LoginSuccess = 0, LoginFail = 2, LoginOther = 255 };

    static constexpr size_t kKeyFileSize = 152;
    static constexpr size_t kModulusBytes = 128;
    static constexpr size_t kServerKeyFileSize = 648;
    static constexpr size_t kGetPiece = 1024;
    static constexpr size_t kPostPiece = 10239;
    static constexpr size_t kBodyStep = 1024;

    struct SentFile {
        std::string path;
        std::string temporaryName;  // the service's name for the stored upload
        uint64_t size = 0;
    };

    explicit CVelquinClient(std::string baseUrl);
    ~CVelquinClient();

    void SetAccount(std::string mail, std::string password);
    void SetPublicKeyFile(std::string path) { m_publicKeyFile = std::move(path); }
    void SetOutputKeyFile(std::string path) { m_outputKeyFile = std::move(path); }
    void SetFiles(std::vector<std::string> files) { m_files = std::move(files); }
    void SetDestinations(std::vector<std::string> addresses) { m_destinations = std::move(addresses); }
    void SetSubject(std::string subject) { m_subject = std::move(subject); }
    void SetMessage(std::string message) { m_message = std::move(message); }
    void SetTags(std::vector<std::string> tags) { m_tags = std::move(tags); }

    int ConnectCheck();
    int Login();
    std::string RegisterKey();
    int GetKey(const std::string& partnerAddress, const std::string& keyFilePath);
    int GetKeyStatus();
    int GetServerKey();
    std::string UploadToMyFolder();
    std::string EasySendFile(const std::string& path);
    long EasySendFinish(const std::vector<SentFile>& sent);
    long EasySend();
    std::string TransferEncrypted(ITransferEncryptor& encryptor);
    // Received containers go to batch decryption; other files are left alone.
    static int HandOverReceived(const std::vector<std::string>& files, IReceivedFileDecryptor& decryptor);

    bool IsLoggedIn() const { return m_loggedIn; }
    int LastStatus() const { return m_status; }
    const std::string& BaseUrl() const { return m_baseUrl; }
    // Read by the progress window while a request runs.
    int RequestCount() const { return m_requestCount.load(); }
    std::string CurrentFile() const;
    uint64_t PostedBytes() const { return m_postedBytes.load(); }
    uint64_t TotalBytes() const { return m_totalBytes.load(); }
    // Where a transfer stands, for the progress window's stage text.
    enum class TransferPhase { Idle, FetchingKeys, Encrypting, Uploading };
    TransferPhase Phase() const { return m_phase.load(); }
    // True once a request could not reach the service.
    bool NetworkFailed() const { return m_networkFailed.load(); }
    // Why the last request that could not reach the service failed (the transport's words).
    std::string NetworkError() const;
    // Ends the request under way and fails the ones after it (from any thread).
    void Stop() { m_stop = true; }

    // The modulus of a ".kpub" file image as 256 hex digits, most significant first; empty when malformed.
    static std::string KeyAsText(const std::vector<uint8_t>& keyFile);
    // The 152-byte key file for a modulus given as hex digits (a short text fills only the high end).
    static std::optional<std::vector<uint8_t>> KeyFileFromText(const std::string& hexText);
    static std::string UserAgent();

private:
    std::string httpGet(const std::string& url);
    std::string httpPost(CHttpClientT& client, bool upload);
    std::string runPost(CHttpClientT& client, bool upload);
    void trackProgress(const CHttpClientT& client);
    void setCurrentFile(const std::string& path);
    void noteFailure(const std::exception& e);
    // head, the account's "ma=...&pw=..." and tail, made without leaving copies of the password.
    std::string withAccount(std::string head, const std::string& tail) const;
    std::optional<std::string> ownKeyText() const;
    std::string transferUpload(const std::vector<std::string>& containers);

    std::string m_baseUrl;
    std::string m_mail;
    std::string m_password;
    std::string m_publicKeyFile;
    std::string m_outputKeyFile;
    std::vector<std::string> m_files;
    std::vector<std::string> m_destinations;
    std::string m_subject;
    std::string m_message;
    std::vector<std::string> m_tags;
    bool m_loggedIn = false;
    int m_status = 0;
    std::atomic<int> m_requestCount{0};
    std::atomic<uint64_t> m_postedBytes{0};
    std::atomic<uint64_t> m_totalBytes{0};
    std::atomic<bool> m_networkFailed{false};
    std::atomic<bool> m_stop{false};
    std::string m_networkError;  // guarded by m_currentFileLock
    std::atomic<TransferPhase> m_phase{TransferPhase::Idle};
    mutable std::mutex m_currentFileLock;
    std::string m_currentFile;
};

} // namespace mvx::net

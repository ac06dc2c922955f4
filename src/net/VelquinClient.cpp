#include "net/VelquinClient.h"

#include "net/HttpClient.h"
#include "net/HttpClientException.h"
#include "net/HttpEncoder.h"
#include "net/HttpTool.h"
#include "net/ITransferEncryptor.h"
#include "net/KeyFileOutput.h"
#include "net/TransferFolder.h"

#include "engine/RsaBlob.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"
#include "platform/SecretMemory.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace mvx::net {

namespace {

constexpr const char* kProductName = "MORVANEX";
constexpr const char* kBuildNumber = "1000";
constexpr uint32_t kPublicExponent = 65537;
constexpr uint32_t kKeyBits = 1024;

std::string enc(const std::string& text) { return CHttpEncoderA::UrlEncodeA(text); }

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower >= 'a' && lower <= 'f')
        return lower - 'a' + 10;
    return -1;
}

std::string trimLineEnd(std::string text)
{
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string readAll(CHttpResponseT& response, size_t piece)
{
    std::string text;
    std::vector<char> buffer(piece);
    while (const size_t got = response.ReadContent(buffer.data(), buffer.size()))
        text.append(buffer.data(), got);
    return text;
}

bool isTransportFailure(const httpclientexceptionA& e)
{
    return e.LastError() >= httpclientexceptionA::errResponseTooLarge && e.LastError() < 600;
}

uint64_t fileSize(const std::string& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<uint64_t>(size);
}

// Counts a request before and after it, whatever happens in between.
class RequestCounting {
public:
    explicit RequestCounting(std::atomic<int>& counter) : m_counter(counter) { ++m_counter; }
    ~RequestCounting() { ++m_counter; }
    RequestCounting(const RequestCounting&) = delete;
    RequestCounting& operator=(const RequestCounting&) = delete;

private:
    std::atomic<int>& m_counter;
};

} // namespace

CVelquinClient::CVelquinClient(std::string baseUrl) : m_baseUrl(std::move(baseUrl))
{
    if (!m_baseUrl.empty() && m_baseUrl.back() != '/')
        m_baseUrl += '/';
}

CVelquinClient::~CVelquinClient() { wipeText(m_password); }

void CVelquinClient::SetAccount(std::string mail, std::string password)
{
    m_mail = std::move(mail);
    m_password = std::move(password);
}

std::string CVelquinClient::UserAgent() { return std::string(kProductName) + " - build" + kBuildNumber; }

std::string CVelquinClient::CurrentFile() const
{
    std::lock_guard<std::mutex> lock(m_currentFileLock);
    return m_currentFile;
}

void CVelquinClient::setCurrentFile(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_currentFileLock);
    m_currentFile = path;
}

void CVelquinClient::noteFailure(const std::exception& e)
{
    std::lock_guard<std::mutex> lock(m_currentFileLock);
    m_networkError = e.what();
    m_networkFailed = true;
}

std::string CVelquinClient::NetworkError() const
{
    std::lock_guard<std::mutex> lock(m_currentFileLock);
    return m_networkError;
}

std::string CVelquinClient::withAccount(std::string head, const std::string& tail) const
{
    std::string mail = enc(m_mail), password = enc(m_password);
    const WipeOnExit wipePassword(password);
    // Room for everything at once: a reallocation would leave a copy of the password behind.
    head.reserve(head.size() + mail.size() + password.size() + tail.size() + 8);
    head += "ma=";
    head += mail;
    head += "&pw=";
    head += password;
    head += tail;
    return head;
}

// --- transport -------------------------------------------------------

std::string CVelquinClient::httpGet(const std::string& url)
{
    RequestCounting count(m_requestCount);
    try {
        CHttpResponseT response = CHttpToolA::Get(url, UserAgent(), &m_stop);
        if (response.GetStatus() != 200)
            return "httperror";
        return readAll(response, kGetPiece);
    } catch (const httpclientexceptionA& e) {
        if (isTransportFailure(e))
            noteFailure(e);
        return "httperror";
    }
}

std::string CVelquinClient::httpPost(CHttpClientT& client, bool upload)
{
    RequestCounting count(m_requestCount);
    try {
        return runPost(client, upload);
    } catch (const httpclientexceptionA& e) {
        if (isTransportFailure(e))
            noteFailure(e);
        m_status = 0;
        return {};
    }
}

std::string CVelquinClient::runPost(CHttpClientT& client, bool upload)
{
    client.SetUserAgent(UserAgent());
    client.SetStopFlag(&m_stop);
    if (upload)
        client.BeginUpload(m_baseUrl);
    else
        client.BeginPost(m_baseUrl);
    m_postedBytes = 0;
    m_totalBytes = client.QueryPostStat().ActualTotalByte();
    for (;;) {
        trackProgress(client);
        if (auto response = client.Proceed(kBodyStep)) {
            m_postedBytes = m_totalBytes.load();
            m_status = static_cast<int>(response->GetStatus());
            return readAll(*response, kPostPiece);
        }
    }
}

void CVelquinClient::trackProgress(const CHttpClientT& client)
{
    const CHttpPostStatT& stat = client.QueryPostStat();
    m_postedBytes = stat.ActualPostedByte();
    // The file being sent, or the next one to go.
    for (size_t i = stat.PostedCount(); i < client.Params().Count(); ++i) {
        if (client.Params().At(i).isFile) {
            setCurrentFile(client.Params().At(i).value);
            return;
        }
    }
}

// --- key text ----------------------------------------------------------

std::string CVelquinClient::KeyAsText(const std::vector<uint8_t>& keyFile)
{
    if (keyFile.size() != kKeyFileSize || getLe32(keyFile.data()) != RsaBlob::kPublicBlobSize1024)
        return {};
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (size_t i = keyFile.size(); i > 4 + RsaBlob::kHeaderSize; --i) {
        text += hex[keyFile[i - 1] >> 4];
        text += hex[keyFile[i - 1] & 0x0F];
    }
    return text;
}

std::optional<std::vector<uint8_t>> CVelquinClient::KeyFileFromText(const std::string& hexText)
{
    const std::string text = trimLineEnd(hexText);
    if (text.empty() || text.size() % 2 != 0 || text.size() > 2 * kModulusBytes)
        return std::nullopt;
    std::vector<uint8_t> file(kKeyFileSize, 0);
    uint8_t* p = file.data();
    putLe32(p, RsaBlob::kPublicBlobSize1024);
    p[4] = RsaBlob::kPublicBlobType;
    p[5] = RsaBlob::kBlobVersion;
    putLe32(p + 8, RsaBlob::kKeyExchangeAlgorithm);
    std::copy_n("RSA1", 4, p + 12);
    putLe32(p + 16, kKeyBits);
    putLe32(p + 20, kPublicExponent);
    uint8_t* modulus = p + 4 + RsaBlob::kHeaderSize;
    for (size_t pair = 0; pair < text.size() / 2; ++pair) {
        const int high = hexValue(text[2 * pair]);
        const int low = hexValue(text[2 * pair + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        modulus[kModulusBytes - 1 - pair] = static_cast<uint8_t>(high * 16 + low);
    }
    return file;
}

std::optional<std::string> CVelquinClient::ownKeyText() const
{
    const auto bytes = readWholeFile(m_publicKeyFile, kKeyFileSize + 1);
    if (!bytes)
        return std::nullopt;
    std::string text = KeyAsText(*bytes);
    if (text.empty())
        return std::nullopt;
    return text;
}

// --- requests ----------------------------------------------------------

int CVelquinClient::ConnectCheck()
{
    if (httpGet(m_baseUrl + "?action_api_common_connectcheck=true") == "connect")
        return 1;
    m_status = 1;
    return 0;
}

int CVelquinClient::Login()
{
    std::string url = withAccount(m_baseUrl + "api/?c=login&", "");
    const WipeOnExit wipeUrl(url);
    const std::string answer = httpGet(url);
    m_loggedIn = answer == "success";
    m_status = m_loggedIn ? LoginSuccess : answer == "fail" ? LoginFail : LoginOther;
    return m_status;
}

std::string CVelquinClient::RegisterKey()
{
    const auto key = ownKeyText();
    if (!key)
        return "fail";
    std::string url = withAccount(m_baseUrl + "?action_api_key_regkey=true&", "&pubkey=" + *key);
    const WipeOnExit wipeUrl(url);
    const std::string answer = httpGet(url);
    m_status = answer == "success" ? 0 : answer == "httperror" ? 3 : 255;
    return answer;
}

int CVelquinClient::GetKey(const std::string& partnerAddress, const std::string& keyFilePath)
{
    const std::string answer = httpGet(m_baseUrl + "?action_api_key_getkey=true&ma=" + enc(partnerAddress));
    if (answer == "httperror")
        return 0;
    const auto keyFile = KeyFileFromText(answer);
    if (!keyFile)
        return 0;
    return CKeyFileOutput::Replace(keyFilePath, *keyFile, CKeyFileOutput::kPublicKeyMode) ? 1 : 0;
}

int CVelquinClient::GetKeyStatus()
{
    const auto key = ownKeyText();
    if (!key)
        return m_status = StatusUnknown;
    std::string url = withAccount(m_baseUrl + "api/?c=getkeystatus&", "&pk=" + *key);
    const WipeOnExit wipeUrl(url);
    const std::string answer = httpGet(url);
    if (answer == "fail")
        return m_status = StatusFail;
    if (answer == "dberr")
        return m_status = StatusDbError;
    if (answer == "nonkey")
        return m_status = StatusNoKey;
    if (answer == "keyreg")
        return m_status = StatusKeyRegistered;
    if (answer.find("httperror") != std::string::npos)
        return m_status = StatusHttpError;
    if (answer.find("samekeyreg") != std::string::npos)
        return m_status = StatusSameKeyRegistered;
    if (answer.find("passkeyold") != std::string::npos)
        return m_status = StatusPassKeyOld;
    return m_status = StatusUnknown;
}

int CVelquinClient::GetServerKey()
{
    std::string base = withAccount(m_baseUrl + "api/?c=getsrvgenkey&", "");
    const WipeOnExit wipeBase(base);
    const std::string hash = httpGet(base);
    if (hash == "fail")
        return m_status = ServerKeyFail;
    if (hash == "nonkey")
        return m_status = ServerKeyNoKey;
    if (hash == "pubkeyreg")
        return m_status = ServerKeyPublicKeyRegistered;
    if (hash == "httperror" || hash.empty() || m_outputKeyFile.empty())
        return m_status = ServerKeyFailed;
    std::string keyUrl;
    const WipeOnExit wipeKeyUrl(keyUrl);
    const std::string hashQuery = "&srvkeyhash=" + enc(hash);
    keyUrl.reserve(base.size() + hashQuery.size());
    keyUrl = base;
    keyUrl += hashQuery;
    const std::string key = httpGet(keyUrl);
    // A private key file: its framing must announce a 596-byte blob.
    if (key.size() != kServerKeyFileSize ||
        getLe32(reinterpret_cast<const uint8_t*>(key.data())) != RsaBlob::kPrivateBlobSize1024)
        return m_status = ServerKeyFailed;
    const std::vector<uint8_t> bytes(key.begin(), key.end());
    if (!CKeyFileOutput::Replace(m_outputKeyFile, bytes, CKeyFileOutput::kPrivateKeyMode))
        return m_status = ServerKeyFailed;
    return m_status = ServerKeyWritten;
}

std::string CVelquinClient::UploadToMyFolder()
{
    CHttpClientT client;
    try {
        client.AddParam("action_api_myfolder_postfile", "true");
        client.AddParam("ma", m_mail);
        client.AddParam("pw", m_password);
        client.AddParam("subject", m_subject);
        client.AddParam("message", m_message);
        for (const auto& tag : m_tags)
            client.AddParam("tag[]", tag);
        for (const auto& file : m_files)
            client.AddParam("upfile[]", file, true);
    } catch (const httpclientexceptionA&) {
        return {};
    }
    return httpPost(client, true);
}

std::string CVelquinClient::EasySendFile(const std::string& path)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return {};
    CHttpClientT client;
    client.AddParam("action_top_ezsendto2_savefile", "true");
    client.AddParam("client", "1");
    try {
        client.AddParam("sendfile", path, true);
    } catch (const httpclientexceptionA&) {
        return {};
    }
    return httpPost(client, true);
}

long CVelquinClient::EasySendFinish(const std::vector<SentFile>& sent)
{
    CHttpClientT client;
    client.AddParam("action_top_ezsendto2_finish", "true");
    client.AddParam("sendfrom_adrs", m_mail);
    for (const auto& address : m_destinations)
        client.AddParam("sendto_adrs[]", address);
    client.AddParam("subject", m_subject);
    client.AddParam("message", m_message);
    for (size_t i = 0; i < sent.size(); ++i) {
        const std::string number = std::to_string(i + 1);
        client.AddParam("filename" + number, std::filesystem::path(sent[i].path).filename().string());
        client.AddParam("tmpfilename" + number, sent[i].temporaryName);
        client.AddParam("filesize" + number, std::to_string(sent[i].size));
    }
    httpPost(client, false);
    return m_status;
}

long CVelquinClient::EasySend()
{
    std::vector<SentFile> sent;
    for (const auto& file : m_files) {
        setCurrentFile(file);
        std::string name = EasySendFile(file);
        if (!name.empty())
            sent.push_back({file, std::move(name), fileSize(file)});
    }
    if (sent.empty())
        return m_status = 0;
    return EasySendFinish(sent);
}

std::string CVelquinClient::TransferEncrypted(ITransferEncryptor& encryptor)
{
    CTransferFolder folder;
    if (!folder.Valid())
        return {};
    std::vector<std::string> keys;
    m_phase = TransferPhase::FetchingKeys;
    for (const auto& address : m_destinations) {
        const std::string keyFile = folder.NewKeyFileName();
        if (!keyFile.empty() && GetKey(address, keyFile) == 1)
            keys.push_back(keyFile);
    }
    if (keys.empty())
        return {};
    m_phase = TransferPhase::Encrypting;
    const std::vector<std::string> containers = encryptor.EncryptForTransfer(m_files, keys, folder.Path());
    if (containers.empty())
        return {};
    m_phase = TransferPhase::Uploading;
    return transferUpload(containers);
}

std::string CVelquinClient::transferUpload(const std::vector<std::string>& containers)
{
    CHttpClientT client;
    try {
        client.AddParam("action_api_transfer_nonenc", "true");
        client.AddParam("ma", m_mail);
        client.AddParam("pw", m_password);
        client.AddParam("subject", m_subject);
        client.AddParam("message", m_message);
        for (const auto& address : m_destinations)
            client.AddParam("address[]", address);
        for (const auto& container : containers)
            client.AddParam("upfile[]", container, true);
    } catch (const httpclientexceptionA&) {
        return {};
    }
    return httpPost(client, true);
}

int CVelquinClient::HandOverReceived(const std::vector<std::string>& files, IReceivedFileDecryptor& decryptor)
{
    std::vector<std::string> containers;
    for (const auto& file : files) {
        std::string extension = std::filesystem::path(file).extension().string();
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        std::error_code ec;
        if (extension == ".KLX" && std::filesystem::is_regular_file(file, ec))
            containers.push_back(file);
    }
    if (containers.empty())
        return 0;
    return decryptor.DecryptReceived(containers);
}

} // namespace mvx::net

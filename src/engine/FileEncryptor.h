#pragma once

#include "engine/CArchiveHistoryMan.h"
#include "engine/ContainerTrailer.h"
#include "engine/EncryptionSettings.h"
#include "engine/KeyMaterialCache.h"
#include "engine/KeystreamEngine.h"
#include "engine/RecipientRecordTable.h"
#include "platform/FileIo.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

class CMessenger;
struct SystemTime;

// Encrypts one plain file for a list of recipients: encryptBody derives a fresh
// content key and writes the enciphered body; writeContainerTail appends the
// sender attachment, one record per recipient, the history and the trailer.
class FileEncryptor {
public:
    static constexpr size_t kKeyDerivationTextSize = 255;
    static constexpr size_t kKeyDerivationOffset = 104;
    static constexpr size_t kUserNameField = 20;
    static constexpr size_t kMailField = 60;

    explicit FileEncryptor(CMessenger& messenger);

    void setSender(SenderKeys sender) { sender_ = std::move(sender); }
    void setCachedMaterial(const CachedKeyMaterial* material) { cached_ = material; }
    // Key files read once for many containers; the encryptor keeps its own unless given one.
    void setKeyCache(std::shared_ptr<KeyMaterialCache> cache) { keyCache_ = std::move(cache); }
    void setRecipients(std::vector<std::string> keyFiles) { recipients_ = std::move(keyFiles); }
    // Stop: the body in hand ends between two chunks, its output removed without a message.
    void setStopFlag(const std::atomic<bool>* stop) { engine_.setStopFlag(stop); }
    void setOptionWord(uint32_t optionWord) { optionWord_ = optionWord; }
    void setTimeLimit(TimeLimitSetting limit) { timeLimit_ = limit; }
    void setHistoryNames(std::vector<CArchiveHistoryMan::NameEntry> names) { historyNames_ = std::move(names); }
    // Before each file: the next encryptBody derives a new content key.
    void resetContentKey();

    // 1 on success, 0 on failure (its message shown). Key source 0 reads the
    // key-derivation text from the own private key file, 1 from the cached material.
    int encryptBody(const std::string& plainPath, const std::string& outputPath, int keySource);
    // encryptBody in two halves, for bodies enciphered together with other
    // files' (MultiStreamTransform): openBody keys the engine and opens both
    // files (1, or 0 with its message shown); the caller runs engine() from
    // body.in to body.out; closeBody finishes as encryptBody does.
    struct OpenBody {
        FdGuard in, out;
    };
    int openBody(const std::string& plainPath, const std::string& outputPath, int keySource, OpenBody& body);
    int closeBody(const std::string& outputPath, OpenBody& body, bool transformed);
    KeystreamEngine& engine() { return engine_; }

    // 1 on success, 0 on failure (its message shown). Mode is the batch kind.
    int writeContainerTail(const std::string& outputPath, const std::string& plainPath, int mode);

    // The name stored in the records: at most 76 bytes, the extension kept whole.
    static std::string recordFileName(const std::string& plainPath);
    // First 32 bytes of SHA-512 over the time text, the path and the key-derivation text.
    static std::array<uint32_t, 8> deriveContentKey(const SystemTime& now, int32_t tickCount,
                                                    const std::string& plainPath, const uint8_t* keyDerivationText);

private:
    using Record = RecipientRecordTable::Record;

    std::optional<std::array<uint8_t, kKeyDerivationTextSize>> keyDerivationText(int keySource);
    bool buildRecord(size_t index, int mode, const uint32_t* contentKey, const std::string& fileName,
                     const SystemTime& now, Record& record);
    bool fillRecipientIdentity(size_t index, int mode, Record& record);
    std::optional<std::vector<uint8_t>> openSelfAuthRecord() const;
    bool fillSenderIdentity(int mode, Record& record);
    bool fillSenderTag(int mode, Record& record);
    bool sealRecord(size_t index, int mode);
    bool appendSenderAttachment(int fd);
    bool appendRecordsAndTrailer(const std::string& outputPath, int fd, ContainerTrailer& trailer,
                                 const Record& firstPlainRecord);
    bool bodyLengthFits(int plainFd) const;
    // Removes the partial output and reports it; returns 0.
    int failWrite(const std::string& outputPath);
    size_t recipientCount(int mode) const;

    CMessenger& messenger_;
    SenderKeys sender_;
    const CachedKeyMaterial* cached_ = nullptr;
    std::shared_ptr<KeyMaterialCache> keyCache_ = std::make_shared<KeyMaterialCache>();
    std::vector<std::string> recipients_;
    uint32_t optionWord_ = 0;
    TimeLimitSetting timeLimit_;
    std::vector<CArchiveHistoryMan::NameEntry> historyNames_;
    KeystreamEngine engine_;
    bool contentKeySet_ = false;
    RecipientRecordTable table_;
};

} // namespace mvx

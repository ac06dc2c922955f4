#pragma once

#include "engine/EncryptionSettings.h"
#include "engine/FileDecryptor.h"
#include "engine/FileEncryptor.h"
#include "workbench/DecryptionAhead.h"
#include "workbench/EncryptionAhead.h"
#include "workbench/IFileCrypto.h"

namespace mvx {

class CMessenger;
class ISenderDirectory;

// The batches' per-file operations on the engine: FileEncryptor for
// encryption, FileDecryptor (decrypt purpose, write-back on) for decryption.
class EngineFileCrypto : public IFileCrypto {
public:
    // helpers: threads that encrypt and decrypt files ahead of the batch.
    // streamsTogether: up to eight files' keystreams run at once per core,
    // on the helpers and on the batch's thread. Neither (0, false): the batch
    // does every file itself, one after the other.
    EngineFileCrypto(CMessenger& messenger, const SenderKeys& sender, size_t helpers = WorkAhead::spareCores(),
                     bool streamsTogether = true);

    // Key material read at start, for the protected folder at exit (key source 1).
    void setCachedMaterial(const CachedKeyMaterial* material)
    {
        encryptor_.setCachedMaterial(material);
        ahead_.setCachedMaterial(material);
    }
    void setSenderDirectory(ISenderDirectory* directory)
    {
        senders_ = directory;
        decryptor_.setSenderDirectory(directory);
    }

    void setRecipients(std::vector<std::string> keyFiles) override;
    void setOptionWord(uint32_t optionWord) override;
    void setTimeLimit(TimeLimitSetting limit) override;
    void setHistoryNames(std::vector<HistoryName> names) override;
    void resetContentKey() override;
    void expectEncryptions(const std::vector<PlannedFile>& files, int mode, int keySource) override;
    std::string takePreparedContainer(const std::string& plainPath, const std::string& outputPath,
                                      int keySource) override;
    std::string takePreparedPlainFile(const std::string& containerPath, const std::string& outputPath) override;
    int encryptBody(const std::string& plainPath, const std::string& outputPath, int keySource) override;
    int writeContainerTail(const std::string& outputPath, const std::string& plainPath, int mode) override;
    void expectDecryptions(const std::vector<PlannedDecryption>& files) override;
    int openContainer(const std::string& containerPath, std::string& plainFileName) override;
    int decryptBody(const std::string& containerPath, const std::string& outputPath) override;
    void finishBatch() override;
    bool outputFlushed() const override { return outputFlushed_; }
    void setStopFlag(const std::atomic<bool>* stop) override
    {
        encryptor_.setStopFlag(stop);
        decryptor_.setStopFlag(stop);
        ahead_.setStopFlag(stop);
        decryptionAhead_.setStopFlag(stop);
    }
    // The partner the destination list named, else the names the container carries.
    std::string senderName() const override { return known() ? decryptor_.identifiedName() : decryptor_.senderName(); }
    std::string senderMail() const override { return known() ? decryptor_.identifiedMail() : decryptor_.senderMail(); }

private:
    bool known() const { return !decryptor_.identifiedName().empty() || !decryptor_.identifiedMail().empty(); }
    bool bodyMadeAheadFor(const std::string& containerPath, const std::string& outputPath) const;

    ISenderDirectory* senders_ = nullptr;
    std::shared_ptr<KeyMaterialCache> keyCache_ = std::make_shared<KeyMaterialCache>();
    FileEncryptor encryptor_;
    FileDecryptor decryptor_;
    EncryptionAhead ahead_;
    std::unique_ptr<EncryptionAhead::Prepared> prepared_;  // claimed by encryptBody, placed by writeContainerTail
    std::string claimedFor_;  // the plain file takePreparedContainer claimed for
    DecryptionAhead decryptionAhead_;
    std::unique_ptr<DecryptionAhead::Prepared> opened_;  // claimed by openContainer, its body taken by decryptBody
    bool outputFlushed_ = false;
};

} // namespace mvx

#include "workbench/EngineFileCrypto.h"

#include "engine/ISenderDirectory.h"
#include "workbench/BatchFiles.h"

namespace mvx {

EngineFileCrypto::EngineFileCrypto(CMessenger& messenger, const SenderKeys& sender, size_t helpers,
                                   bool streamsTogether)
    : encryptor_(messenger), decryptor_(messenger, sender.publicKeyFile, sender.privateKeyFile),
      ahead_(sender, keyCache_, helpers, streamsTogether),
      decryptionAhead_(sender.publicKeyFile, sender.privateKeyFile, keyCache_, helpers, streamsTogether)
{
    encryptor_.setSender(sender);
    encryptor_.setKeyCache(keyCache_);
    decryptor_.setKeyCache(keyCache_);
}

void EngineFileCrypto::setRecipients(std::vector<std::string> keyFiles)
{
    ahead_.settings().recipients = keyFiles;
    encryptor_.setRecipients(std::move(keyFiles));
}

void EngineFileCrypto::setOptionWord(uint32_t optionWord)
{
    ahead_.settings().optionWord = optionWord;
    encryptor_.setOptionWord(optionWord);
}

void EngineFileCrypto::setTimeLimit(TimeLimitSetting limit)
{
    ahead_.settings().timeLimit = limit;
    encryptor_.setTimeLimit(limit);
}

void EngineFileCrypto::setHistoryNames(std::vector<HistoryName> names)
{
    std::vector<CArchiveHistoryMan::NameEntry> entries;
    for (HistoryName& name : names)
        entries.push_back({std::move(name.userName), std::move(name.mail)});
    ahead_.settings().historyNames = entries;
    encryptor_.setHistoryNames(std::move(entries));
}

void EngineFileCrypto::resetContentKey()
{
    prepared_.reset();
    claimedFor_.clear();
    encryptor_.resetContentKey();
}

void EngineFileCrypto::expectEncryptions(const std::vector<PlannedFile>& files, int mode, int keySource)
{
    std::vector<EncryptionAhead::PlannedFile> planned;
    for (const PlannedFile& file : files)
        planned.push_back({file.plainPath, file.outputPath});
    ahead_.expect(planned, mode, keySource);
}

std::string EngineFileCrypto::takePreparedContainer(const std::string& plainPath, const std::string& outputPath,
                                                    int keySource)
{
    prepared_ = ahead_.claim(plainPath, outputPath, keySource);
    claimedFor_ = plainPath;
    if (!prepared_)
        return {};
    prepared_->ownsFile = false;
    return prepared_->temporaryPath;
}

int EngineFileCrypto::encryptBody(const std::string& plainPath, const std::string& outputPath, int keySource)
{
    // A container made ahead is put in place by writeContainerTail, once the
    // batch has settled its options (in place already when the batch took it over).
    if (claimedFor_ != plainPath)
        prepared_ = ahead_.claim(plainPath, outputPath, keySource);
    claimedFor_.clear();
    if (prepared_)
        return 1;
    return encryptor_.encryptBody(plainPath, outputPath, keySource);
}

int EngineFileCrypto::writeContainerTail(const std::string& outputPath, const std::string& plainPath, int mode)
{
    outputFlushed_ = false;
    if (auto prepared = std::move(prepared_)) {
        if (ahead_.place(*prepared, outputPath, plainPath, mode)) {
            outputFlushed_ = prepared->flushed;
            return 1;
        }
        if (!encryptor_.encryptBody(plainPath, outputPath, prepared->keySource))
            return 0;
    }
    return encryptor_.writeContainerTail(outputPath, plainPath, mode);
}

void EngineFileCrypto::expectDecryptions(const std::vector<PlannedDecryption>& files)
{
    std::vector<DecryptionAhead::PlannedFile> planned;
    for (const PlannedDecryption& file : files)
        planned.push_back({file.containerPath, file.outputPath});
    decryptionAhead_.expect(planned);
}

int EngineFileCrypto::openContainer(const std::string& containerPath, std::string& plainFileName)
{
    opened_ = decryptionAhead_.claim(containerPath);
    return decryptor_.openContainer(containerPath, plainFileName, FileDecryptor::kPurposeDecrypt, true,
                                    opened_ ? &opened_->made.layout : nullptr);
}

bool EngineFileCrypto::bodyMadeAheadFor(const std::string& containerPath, const std::string& outputPath) const
{
    // The body made ahead lies in the folder the batch planned; another folder means the user chose another.
    return opened_ && !opened_->made.bodyPath.empty() && opened_->containerPath == containerPath &&
           opened_->outputFolder == BatchFiles::folderOf(outputPath);
}

std::string EngineFileCrypto::takePreparedPlainFile(const std::string& containerPath, const std::string& outputPath)
{
    if (!bodyMadeAheadFor(containerPath, outputPath))
        return {};
    opened_->ownsFile = false;
    return opened_->made.bodyPath;
}

int EngineFileCrypto::decryptBody(const std::string& containerPath, const std::string& outputPath)
{
    const bool madeAhead = bodyMadeAheadFor(containerPath, outputPath);
    const auto opened = std::move(opened_);
    outputFlushed_ = false;
    if (!madeAhead)
        return decryptor_.decryptBody(containerPath, outputPath);
    const bool adopted = decryptor_.adoptBody(containerPath, outputPath, opened->made) != 0;
    outputFlushed_ = adopted && opened->made.flushed;
    return adopted ? 1 : 0;
}

void EngineFileCrypto::finishBatch()
{
    prepared_.reset();
    opened_.reset();
    ahead_.cancel();
    decryptionAhead_.cancel();
    if (senders_)
        senders_->flush();
}

} // namespace mvx

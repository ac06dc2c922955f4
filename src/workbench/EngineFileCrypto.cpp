#include "workbench/EngineFileCrypto.h"

#include "engine/ISenderDirectory.h"

namespace mvx {

EngineFileCrypto::EngineFileCrypto(CMessenger& messenger, const SenderKeys& sender)
    : encryptor_(messenger), decryptor_(messenger, sender.publicKeyFile, sender.privateKeyFile)
{
    encryptor_.setSender(sender);
    auto keyCache = std::make_shared<KeyMaterialCache>();
    encryptor_.setKeyCache(keyCache);
    decryptor_.setKeyCache(keyCache);
}

void EngineFileCrypto::setRecipients(std::vector<std::string> keyFiles) { encryptor_.setRecipients(std::move(keyFiles)); }

void EngineFileCrypto::setOptionWord(uint32_t optionWord) { encryptor_.setOptionWord(optionWord); }

void EngineFileCrypto::setTimeLimit(TimeLimitSetting limit) { encryptor_.setTimeLimit(limit); }

void EngineFileCrypto::setHistoryNames(std::vector<HistoryName> names)
{
    std::vector<CArchiveHistoryMan::NameEntry> entries;
    for (HistoryName& name : names)
        entries.push_back({std::move(name.userName), std::move(name.mail)});
    encryptor_.setHistoryNames(std::move(entries));
}

void EngineFileCrypto::resetContentKey() { encryptor_.resetContentKey(); }

int EngineFileCrypto::encryptBody(const std::string& plainPath, const std::string& outputPath, int keySource)
{
    return encryptor_.encryptBody(plainPath, outputPath, keySource);
}

int EngineFileCrypto::writeContainerTail(const std::string& outputPath, const std::string& plainPath, int mode)
{
    return encryptor_.writeContainerTail(outputPath, plainPath, mode);
}

int EngineFileCrypto::openContainer(const std::string& containerPath, std::string& plainFileName)
{
    return decryptor_.openContainer(containerPath, plainFileName, FileDecryptor::kPurposeDecrypt, true);
}

int EngineFileCrypto::decryptBody(const std::string& containerPath, const std::string& outputPath)
{
    return decryptor_.decryptBody(containerPath, outputPath);
}

void EngineFileCrypto::finishBatch()
{
    if (senders_)
        senders_->flush();
}

} // namespace mvx

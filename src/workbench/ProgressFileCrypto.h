#pragma once

#include "workbench/ProgressLine.h"
#include "workbench/IFileCrypto.h"

namespace mvx {

// The batches' file operations, reported to a progress line as they go.
class ProgressFileCrypto : public IFileCrypto {
public:
    ProgressFileCrypto(IFileCrypto& inner, ProgressLine& progress) : inner_(inner), progress_(progress) {}

    void setRecipients(std::vector<std::string> keyFiles) override { inner_.setRecipients(std::move(keyFiles)); }
    void setOptionWord(uint32_t optionWord) override { inner_.setOptionWord(optionWord); }
    void setTimeLimit(TimeLimitSetting limit) override { inner_.setTimeLimit(limit); }
    void setHistoryNames(std::vector<HistoryName> names) override { inner_.setHistoryNames(std::move(names)); }
    void resetContentKey() override { inner_.resetContentKey(); }
    void expectEncryptions(const std::vector<PlannedFile>& files, int mode, int keySource) override
    {
        inner_.expectEncryptions(files, mode, keySource);
    }
    void expectDecryptions(const std::vector<PlannedDecryption>& files) override { inner_.expectDecryptions(files); }
    void finishBatch() override { inner_.finishBatch(); }
    std::string takePreparedContainer(const std::string& plainPath, const std::string& outputPath,
                                      int keySource) override
    {
        return inner_.takePreparedContainer(plainPath, outputPath, keySource);
    }
    std::string takePreparedPlainFile(const std::string& containerPath, const std::string& outputPath) override
    {
        return inner_.takePreparedPlainFile(containerPath, outputPath);
    }
    int encryptBody(const std::string& plainPath, const std::string& outputPath, int keySource) override;
    int writeContainerTail(const std::string& outputPath, const std::string& plainPath, int mode) override
    {
        return inner_.writeContainerTail(outputPath, plainPath, mode);
    }
    int openContainer(const std::string& containerPath, std::string& plainFileName) override
    {
        return inner_.openContainer(containerPath, plainFileName);
    }
    int decryptBody(const std::string& containerPath, const std::string& outputPath) override;
    bool outputFlushed() const override { return inner_.outputFlushed(); }
    std::string senderName() const override { return inner_.senderName(); }
    std::string senderMail() const override { return inner_.senderMail(); }

    static uint64_t sizeOf(const std::string& path);

private:
    IFileCrypto& inner_;
    ProgressLine& progress_;
};

} // namespace mvx

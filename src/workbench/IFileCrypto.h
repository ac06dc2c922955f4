#pragma once

#include "engine/EncryptionSettings.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace mvx {

// The per-file encryption and decryption the batches drive. The engine's
// adapter (EngineFileCrypto) implements it over FileEncryptor and
// FileDecryptor; tests put a recording double in its place. Every call that
// fails has shown its own message already.
class IFileCrypto {
public:
    struct HistoryName {
        std::string userName;
        std::string mail;
    };

    virtual ~IFileCrypto() = default;

    // Encryption set-up for the files that follow.
    virtual void setRecipients(std::vector<std::string> keyFiles) = 0;
    virtual void setOptionWord(uint32_t optionWord) = 0;
    virtual void setTimeLimit(TimeLimitSetting limit) = 0;
    virtual void setHistoryNames(std::vector<HistoryName> names) = 0;
    // Before each file: the next body gets a fresh content key.
    virtual void resetContentKey() = 0;
    // The files the batch will encrypt next, in its order (plain file, container);
    // an implementation may prepare them ahead on spare cores.
    struct PlannedFile {
        std::string plainPath;
        std::string outputPath;
    };
    virtual void expectEncryptions(const std::vector<PlannedFile>& files, int mode, int keySource)
    {
        (void)files, (void)mode, (void)keySource;
    }
    // A finished container made ahead for this plain file in the output's
    // folder, or empty. The caller takes the file over as its temporary
    // output and still calls encryptBody and writeContainerTail with it.
    virtual std::string takePreparedContainer(const std::string& plainPath, const std::string& outputPath,
                                              int keySource)
    {
        (void)plainPath, (void)outputPath, (void)keySource;
        return {};
    }
    // 1 or 0. Key source 0: own private key file; 1: key material cached at start.
    virtual int encryptBody(const std::string& plainPath, const std::string& outputPath, int keySource) = 0;
    // 1 or 0. Mode is the batch kind.
    virtual int writeContainerTail(const std::string& outputPath, const std::string& plainPath, int mode) = 0;

    // The containers the batch will decrypt next, in its order, with their
    // planned plain files; an implementation may prepare them ahead on spare cores.
    struct PlannedDecryption {
        std::string containerPath;
        std::string outputPath;
    };
    virtual void expectDecryptions(const std::vector<PlannedDecryption>& files) { (void)files; }
    // 0 refused, 1 sender unknown, 2 and above sender identified.
    virtual int openContainer(const std::string& containerPath, std::string& plainFileName) = 0;
    // After a successful openContainer: a plain file made ahead for this
    // container in the output's folder, or empty. The caller takes the file
    // over as its temporary output and still calls decryptBody with it.
    virtual std::string takePreparedPlainFile(const std::string& containerPath, const std::string& outputPath)
    {
        (void)containerPath, (void)outputPath;
        return {};
    }
    // 1 or 0; requires a successful openContainer just before. A failure leaves no output.
    virtual int decryptBody(const std::string& containerPath, const std::string& outputPath) = 0;
    // The output of the last writeContainerTail or decryptBody is flushed to
    // disk already (a helper made it ahead and flushed it).
    virtual bool outputFlushed() const { return false; }
    // The window's Stop flag: a body in hand ends between two chunks and fails
    // without a message, leaving no output.
    virtual void setStopFlag(const std::atomic<bool>* stop) { (void)stop; }
    // After the last file of a batch: writes what the batch kept back (the
    // senders' last use) and drops what was prepared ahead and not used.
    virtual void finishBatch() {}
    // The sender as the destination list names him, else as the container carries him, after decryptBody.
    virtual std::string senderName() const = 0;
    virtual std::string senderMail() const = 0;
};

} // namespace mvx

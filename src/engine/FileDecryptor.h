#pragma once

#include "engine/ContainerReader.h"
#include "engine/KeyMaterialCache.h"
#include "engine/KeystreamEngine.h"
#include "platform/FileIo.h"
#include "platform/SystemTime.h"

#include <memory>
#include <string>

namespace mvx {

class CMessenger;
class ISenderDirectory;

// Decrypts one container: openContainer checks it in a fixed order, finds the
// own record, verifies the sender, applies the time limit and leaves the
// engine keyed; decryptBody then writes the plain file.
class FileDecryptor {
public:
    enum Purpose { kPurposeDecrypt = 0, kPurposeHistory = 1, kPurposeForward = 2 };

    FileDecryptor(CMessenger& messenger, std::string ownPublicKeyFile, std::string ownPrivateKeyFile);

    // Without a directory every sender is unknown.
    void setSenderDirectory(ISenderDirectory* directory) { senders_ = directory; }
    // Stop: the body in hand ends between two chunks, its output removed without a message.
    void setStopFlag(const std::atomic<bool>* stop) { engine_.setStopFlag(stop); }
    // Opening in place records its own event ("viewed" or "updated") instead of the decryption.
    void setRecordsDecryption(bool records) { recordsDecryption_ = records; }
    // The own key files read once for many containers; the decryptor keeps its own unless given one.
    void setKeyCache(std::shared_ptr<KeyMaterialCache> cache) { keyCache_ = std::move(cache); }

    // What a helper thread prepared for one container ahead of the batch,
    // without changing it or telling the user anything: the layout with the
    // own record opened and, unless a time limit applies, the deciphered body
    // in a file of its own (flushed to disk) with the sender's names of the
    // attachment.
    struct Prepared {
        ContainerLayout layout;
        std::string bodyPath;
        std::string senderName;
        std::string senderMail;
        bool flushed = false;  // the body file is on disk already
    };
    // Opens the head and deciphers the body into bodyPath; false when anything
    // fails (then prepared holds nothing of use and bodyPath is removed).
    // Never writes to the container.
    bool prepare(const std::string& containerPath, const std::string& bodyPath, Prepared& prepared);
    // prepare in two halves, for bodies deciphered together with other
    // containers' (MultiStreamTransform). startPrepare: kPrepareFailed,
    // kPrepareNoBody (nothing to decipher: prepared is complete), or
    // kPrepareBody: engine() is keyed and the caller runs it over
    // layout().bodyLength bytes from body.in to body.out, then finishPrepare.
    enum PrepareStart { kPrepareFailed = 0, kPrepareNoBody = 1, kPrepareBody = 2 };
    struct PreparingBody {
        FdGuard in, out;
        std::string path;
    };
    int startPrepare(const std::string& containerPath, const std::string& bodyPath, Prepared& prepared,
                     PreparingBody& body);
    // flush: the body file goes to disk before it counts as made.
    bool finishPrepare(Prepared& prepared, PreparingBody& body, bool deciphered, bool flush);
    KeystreamEngine& engine() { return engine_; }

    // 0 on failure (its message shown), else 2 + the sender status (1 = unknown).
    // openedAhead: the layout a helper read and opened, for a container unchanged since.
    int openContainer(const std::string& containerPath, std::string& plainFileName, int purpose, bool writeBack,
                      const ContainerLayout* openedAhead = nullptr);
    // Requires a successful openContainer just before. 1 or 0; a failure leaves no output.
    int decryptBody(const std::string& containerPath, const std::string& outputPath);
    // As decryptBody, putting in place a body prepared for this container instead of deciphering it.
    // The body file takes the output's name (prepared.bodyPath is emptied).
    int adoptBody(const std::string& containerPath, const std::string& outputPath, Prepared& prepared);
    // Destroys an expired container. Non-zero when it is gone.
    static int expireContainer(const std::string& path);

    const ContainerLayout& layout() const { return layout_; }
    uint64_t tailSize() const { return layout_.tailSize(); }
    const SystemTime& encryptionTime() const { return encryptionTime_; }
    // The sender's names from the attachment, after decryptBody.
    const std::string& senderName() const { return senderName_; }
    const std::string& senderMail() const { return senderMail_; }
    // The partner the destination list named in openContainer; empty when unknown.
    const std::string& identifiedName() const { return identifiedName_; }
    const std::string& identifiedMail() const { return identifiedMail_; }

private:
    int fail(int fd);
    bool verifySender();
    // Steps on times: 1 go on, 0 refused (message shown), -1 expired and destroyed.
    int applyTimeRules(int fd, const std::string& containerPath, bool writeBack);
    bool writeBackCount(int fd, bool firstDecryption);
    int identifySender();
    bool decipherToOutput(int in, int out);
    // The sender's names of the attachment, which follow the body in the keystream.
    bool readSenderNames(int in);
    // After the plain file is written: its time and the history event; 0 undoes the output.
    int finishOutput(const std::string& containerPath, const std::string& outputPath);
    // Adds the decryption event to the container's history; false when it could not be written.
    bool recordDecryption(const std::string& containerPath);

    CMessenger& messenger_;
    std::string ownPublicKeyFile_;
    std::string ownPrivateKeyFile_;
    ISenderDirectory* senders_ = nullptr;
    std::shared_ptr<KeyMaterialCache> keyCache_ = std::make_shared<KeyMaterialCache>();
    bool recordsDecryption_ = true;
    ContainerLayout layout_;
    KeystreamEngine engine_;
    bool contentKeySet_ = false;
    SystemTime encryptionTime_;
    std::string senderName_;
    std::string senderMail_;
    std::string identifiedName_;
    std::string identifiedMail_;
};

} // namespace mvx

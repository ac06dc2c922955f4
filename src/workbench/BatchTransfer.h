#pragma once

#include "net/ITransferEncryptor.h"

namespace mvx {

class WorkbenchSession;

// The web transfer's encryption and the hand-over of received files, done by
// the batches: encryption as batch kind 2 without questions, decryption of
// received containers as batch kind 5.
class BatchTransfer : public net::ITransferEncryptor, public net::IReceivedFileDecryptor {
public:
    explicit BatchTransfer(WorkbenchSession& session) : session_(session) {}

    std::vector<std::string> EncryptForTransfer(const std::vector<std::string>& files,
                                                const std::vector<std::string>& recipientKeyFiles,
                                                const std::string& outputFolder) override;
    int DecryptReceived(const std::vector<std::string>& containers) override;

private:
    WorkbenchSession& session_;
};

} // namespace mvx

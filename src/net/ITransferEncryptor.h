#pragma once

#include <string>
#include <vector>

namespace mvx::net {

// Encryption of files for partners before they go to the service: batch
// encryption without questions, one container per file, every container
// readable with each of the given public key files. The output folder is a
// fresh private folder; the containers made are returned (empty when none).
class ITransferEncryptor {
public:
    virtual ~ITransferEncryptor() = default;
    virtual std::vector<std::string> EncryptForTransfer(const std::vector<std::string>& files,
                                                        const std::vector<std::string>& recipientKeyFiles,
                                                        const std::string& outputFolder) = 0;
};

// Decryption of containers received from the service (batch decryption of
// received files). Returns the number of containers decrypted.
class IReceivedFileDecryptor {
public:
    virtual ~IReceivedFileDecryptor() = default;
    virtual int DecryptReceived(const std::vector<std::string>& containers) = 0;
};

} // namespace mvx::net

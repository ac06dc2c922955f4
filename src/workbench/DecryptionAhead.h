#pragma once

#include "engine/FileDecryptor.h"
#include "engine/KeyMaterialCache.h"
#include "platform/FileStamp.h"
#include "workbench/WorkAhead.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// Opens the containers a decryption batch will reach next on the spare cores
// and deciphers their bodies into hidden temporary files in the output
// folders. It never changes a container and never tells the user anything:
// the batch still runs every check, question, time rule and history entry
// itself, on the layout opened ahead, and takes the body only when the
// container and the own key are unchanged since.
class DecryptionAhead {
public:
    struct PlannedFile {
        std::string containerPath;
        std::string outputPath;
    };
    // What a helper made for one container; dropping it removes the body file.
    struct Prepared : WorkAhead::Piece {
        std::string containerPath, outputFolder;
        std::optional<FileStamp> containerStamp, privateKeyStamp;
        FileDecryptor::Prepared made;
        bool ready = false;
        bool ownsFile = true;  // false once the batch took the body file over
        ~Prepared() override;
    };

    // streamsTogether: bodies run their keystreams eight at a time, on the
    // helpers and on the batch's thread when it reaches a container not started.
    DecryptionAhead(std::string ownPublicKeyFile, std::string ownPrivateKeyFile, std::shared_ptr<KeyMaterialCache> keys,
                    size_t helpers, bool streamsTogether = true);
    ~DecryptionAhead();

    // The window's Stop ends the helpers' bodies too (set before the batch starts).
    void setStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }
    // The containers the batch will reach, in its order, with their planned plain files.
    void expect(const std::vector<PlannedFile>& files);
    // What was made for this container, when it still fits; nullptr otherwise.
    std::unique_ptr<Prepared> claim(const std::string& containerPath);
    // Drops everything made ahead and not claimed.
    void cancel() { work_.cancel(); }

private:
    struct Helper;
    class Making;
    Helper& helperFor(size_t worker, size_t lane) { return *helpers_[worker * MultiStreamTransform::kLanes + lane]; }

    std::string ownPublicKeyFile_;
    std::string ownPrivateKeyFile_;
    std::shared_ptr<KeyMaterialCache> keys_;
    const std::atomic<bool>* stop_ = nullptr;
    const bool streamsTogether_;
    std::vector<std::unique_ptr<Helper>> helpers_;
    WorkAhead work_;  // last: its helpers stop before the decryptors go
};

} // namespace mvx

#pragma once

#include "engine/CArchiveHistoryMan.h"
#include "engine/EncryptionSettings.h"
#include "engine/KeyMaterialCache.h"
#include "platform/FileStamp.h"
#include "workbench/WorkAhead.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

class FileEncryptor;

// Encrypts the files a batch will reach next on the spare cores, each into a
// hidden temporary file beside its container. When the batch reaches a file
// it claims the finished container; it is put in place only when the plain
// file and every setting are still those it was made with, and only when its
// making showed nothing. Otherwise the batch encrypts the file itself, so the
// user sees exactly what a run on one core shows.
class EncryptionAhead {
public:
    struct Settings {
        std::vector<std::string> recipients;
        uint32_t optionWord = 0;
        TimeLimitSetting timeLimit;
        std::vector<CArchiveHistoryMan::NameEntry> historyNames;

        bool operator==(const Settings& other) const;
    };
    struct PlannedFile {
        std::string plainPath;
        std::string outputPath;
    };
    // A container made ahead; dropping it removes the temporary file.
    struct Prepared : WorkAhead::Piece {
        std::string plainPath, outputPath, temporaryPath;
        int mode = 0;
        int keySource = 0;
        Settings settings;
        std::optional<FileStamp> plainStamp;
        bool made = false;
        bool flushed = false;  // on disk already; else the batch flushes it when it takes it
        bool ownsFile = true;  // false once the batch took the file over
        ~Prepared() override;
    };

    // streamsTogether: files run their keystreams eight at a time, on the
    // helpers and on the batch's thread when it reaches a file not started.
    EncryptionAhead(SenderKeys sender, std::shared_ptr<KeyMaterialCache> keys, size_t helpers,
                    bool streamsTogether = true);
    ~EncryptionAhead();

    // The settings the next files get (kept in step with the batch's encryptor).
    Settings& settings() { return settings_; }
    void setCachedMaterial(const CachedKeyMaterial* material) { cached_ = material; }
    // The window's Stop ends the helpers' files too (set before the batch starts).
    void setStopFlag(const std::atomic<bool>* stop) { stop_ = stop; }

    // The files the batch will reach, in its order, for the batch kind and key source.
    void expect(const std::vector<PlannedFile>& files, int mode, int keySource);
    // The container made for this file, when it still fits; nullptr otherwise.
    // outputPath may be a temporary name in the planned output's folder.
    std::unique_ptr<Prepared> claim(const std::string& plainPath, const std::string& outputPath, int keySource);
    // Puts a claimed container in place for the batch kind; false when it cannot be.
    bool place(Prepared& prepared, const std::string& outputPath, const std::string& plainPath, int mode);
    // Drops everything made ahead and not claimed.
    void cancel() { work_.cancel(); }

private:
    struct Helper;
    class Making;
    Helper& helperFor(size_t worker, size_t lane) { return *helpers_[worker * MultiStreamTransform::kLanes + lane]; }

    SenderKeys sender_;
    std::shared_ptr<KeyMaterialCache> keys_;
    const CachedKeyMaterial* cached_ = nullptr;
    const std::atomic<bool>* stop_ = nullptr;
    Settings settings_;
    const bool streamsTogether_;
    std::vector<std::unique_ptr<Helper>> helpers_;
    WorkAhead work_;  // last: its helpers stop before the encryptors go
};

} // namespace mvx

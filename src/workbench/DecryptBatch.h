#pragma once

#include "app/CNotEncryptReadOnlyFile.h"
#include "workbench/FolderFlushes.h"
#include "workbench/StaleOutputSweep.h"

#include <optional>
#include <string>
#include <vector>

namespace mvx {

struct BatchContext;

// Who made a decrypted container, as far as the container tells.
struct DecryptedSender {
    bool known = false;    // a partner of the key folders carries the sender's tag
    std::string userName;  // from the sender attachment, when the container has one
    std::string mail;
};

struct DecryptOutcome {
    bool completed = false;              // false when the batch ended early
    std::vector<std::string> decrypted;  // containers decrypted, in work-list order
    std::vector<std::string> outputs;    // the plain files written, in the same order
    std::vector<DecryptedSender> senders;  // in the same order
    std::vector<std::string> deletedContainers;
};

// Batch decryption of the work list (kinds 0, 1, 2 and 5 of the engine's
// BatchKind): the per-container checks, output naming, questions,
// decryption, deletion of the containers and the summary.
class DecryptBatch {
public:
    explicit DecryptBatch(BatchContext& context);

    // keepContainers: the assigned folder's "KlxKeep" (kind 5 only).
    DecryptOutcome run(int kind, bool keepContainers = false);

    // The container path without its final extension, in the output folder when one is given.
    static std::string outputPathFor(const std::string& containerPath, const std::string& outputFolder);
    // The save dialog's file-type filter for an output path.
    static std::string saveFilter(const std::string& outputPath, const class CMessageTable& table);

private:
    enum class Step { Go, Skip, Stop };

    // Tells the file operations which containers come, so spare cores can start on them.
    void expectFiles(const std::vector<std::string>& files);
    Step checkContainer(const std::string& path, size_t count);
    Step chooseOutput(std::string& outputPath, size_t count);
    Step confirmOverwrite(const std::string& outputPath, size_t count);
    bool decryptOne(const std::string& containerPath, const std::string& outputPath, DecryptedSender& sender);
    void deleteContainer(const std::string& path, DecryptOutcome& outcome);
    void finish(const DecryptOutcome& outcome);

    BatchContext& context_;
    FolderFlushes folderFlushes_;  // the plain files' folders, flushed before a deletion and at the end
    StaleOutputSweep staleOutputs_;  // killed runs' partial outputs, removed once per folder
    int kind_ = 0;
    bool keepContainers_ = false;
    bool overwriteAll_ = false;
    bool cancelled_ = false;  // the save dialog was cancelled
    std::optional<CNotEncryptReadOnlyFile> notEncryptedNotice_;
    std::optional<CNotEncryptReadOnlyFile> readOnlyNotice_;
};

} // namespace mvx

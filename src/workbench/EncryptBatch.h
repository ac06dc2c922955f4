#pragma once

#include "app/CNotEncryptReadOnlyFile.h"
#include "workbench/EncryptOptionRules.h"
#include "workbench/FolderFlushes.h"
#include "workbench/IEncryptChooser.h"
#include "workbench/IFileCrypto.h"
#include "workbench/StaleOutputSweep.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

struct BatchContext;

// How a batch is started (batch kinds: see engine/EncryptionSettings.h).
struct EncryptRequest {
    int kind = 0;
    // Whether the batch may ask questions and show the wait window and summary.
    bool interactive = true;
    // Kind 3: the main window's address list; kind 5: the caller's destinations.
    std::vector<std::string> destinations;
    // Kind 5: the caller's output folder (empty: beside the plain file).
    std::string outputFolder;
    // Kind 3: "Setting for Encryption" and "Attach to mail" ticked.
    bool useOptionsDialog = false;
    bool attachToMail = false;
};

struct EncryptOutcome {
    // False when the batch ended early (no key set, nothing to do, Cancel,
    // a failed file or a refused history question).
    bool completed = false;
    std::vector<std::string> containers;        // made, in work-list order
    std::vector<std::string> deletedPlainFiles;
    std::vector<std::string> deletionFailures;
    // The protected folder's batch goes on past a file it could not encrypt:
    // those files, still plain.
    std::vector<std::string> notEncrypted;
    bool mailComposed = false;
};

// Batch encryption: turns every file of the work list into a ".klx"
// container, one file at a time, with the exclusions, questions and
// follow-ups of the batch kind. Afterwards the work list holds exactly the
// files that became containers.
class EncryptBatch {
public:
    explicit EncryptBatch(BatchContext& context);

    EncryptOutcome run(const EncryptRequest& request);

    // The container path for a plain file: the name with ".klx" appended, in
    // the output folder when one is given, else beside the file.
    static std::string outputPathFor(const std::string& plainPath, const std::string& outputFolder);

private:
    enum class Overwrite { Write, Skip, Stop };
    struct Plan {
        std::vector<std::string> destinations;
        std::string outputFolder;
        EncryptOptions options;
        bool optionsGiven = false;
        bool mail = false;
    };

    void removeLinksAndHidden();
    bool reportEmptyList();
    bool takeDestinations(const EncryptRequest& request);
    bool takeChoices(const std::optional<EncryptChoices>& choices);
    void useOutputFolderIfThere(const std::string& folder);
    bool settleKeyFiles();
    uint32_t buildOptionWord() const;
    bool encryptAll(EncryptOutcome& outcome);
    // A file that could not be encrypted leaves the work list; false when that ends the batch.
    bool goesOnWithout(std::vector<std::string>& files, size_t index, EncryptOutcome& outcome);
    // Tells the per-file encryption which files come, in the order they are done.
    void expectFiles(const std::vector<std::string>& files);
    bool isExcluded(const std::string& path, size_t fileCount);
    Overwrite confirmOverwrite(const std::string& outputPath, size_t fileCount);
    bool limitedByDeadline() const;
    bool encryptOne(const std::string& plainPath, const std::string& outputPath);
    bool historyCanBeRecorded() const;
    std::vector<IFileCrypto::HistoryName> historyNames() const;
    void setUpHistory();
    bool deletePlainFilesWanted() const;
    void deletePlainFiles(EncryptOutcome& outcome);
    void composeMail(EncryptOutcome& outcome);
    void endEarly();
    void finish();

    BatchContext& context_;
    FolderFlushes folderFlushes_;  // the containers' folders, flushed once when the files are done
    StaleOutputSweep staleOutputs_;  // killed runs' partial outputs, removed once per folder
    int kind_ = 0;
    bool interactive_ = true;
    Plan plan_;
    uint32_t optionWord_ = 0;
    bool overwriteAll_ = false;
    std::optional<CNotEncryptReadOnlyFile> alreadyEncryptedNotice_;
};

} // namespace mvx

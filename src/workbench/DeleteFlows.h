#pragma once

#include <string>
#include <vector>

namespace mvx {

struct BatchContext;

struct DeleteOutcome {
    std::vector<std::string> deleted;   // destroyed
    std::vector<std::string> refused;   // read-only, left alone
    std::vector<std::string> failed;    // secure deletion did not succeed
    std::vector<std::string> namesOnly; // other names share the content: this name removed, nothing overwritten
    bool stopped = false;               // "Stop" ended the loop
};

// The workbench's secure-deletion flows: each asks per file ("Yes", "Delete
// all", "No", "Stop"; Yes/No for the last file), refuses read-only files and
// destroys the rest with secure deletion.
class DeleteFlows {
public:
    explicit DeleteFlows(BatchContext& context);

    // "Delete Files": every file under the studio entries, to every depth;
    // emptied folders are removed afterwards, also after Stop.
    DeleteOutcome deleteStudioFiles();
    // Delete on the file pane: the selected items of the current folder.
    DeleteOutcome deleteSelectedItems(const std::string& folder, const std::vector<std::string>& names);
    // Shell or command line: the work list in order, then the collected folders.
    DeleteOutcome deleteWorkList();

private:
    enum class Flow { Studio, FilePane, Shell };

    DeleteOutcome confirmAndDelete(const std::vector<std::string>& files, Flow flow);
    // 0 delete, 1 delete this and all following, 2 leave it, 3 stop.
    int ask(const std::string& path, bool moreFollow, Flow flow);
    void refuseReadOnly(const std::string& path, Flow flow);

    BatchContext& context_;
};

} // namespace mvx

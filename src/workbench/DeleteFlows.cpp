#include "workbench/DeleteFlows.h"

#include "app/CContinueConfirmDialog.h"
#include "app/CMessenger.h"
#include "app/Msg.h"
#include "platform/SecureDelete.h"
#include "workbench/BatchContext.h"
#include "workbench/BatchFiles.h"
#include "workbench/StudioList.h"
#include "workbench/WorkList.h"

namespace mvx {

DeleteFlows::DeleteFlows(BatchContext& context) : context_(context) {}

DeleteOutcome DeleteFlows::deleteStudioFiles()
{
    WorkList& work = context_.work;
    work.rebuildFrom(context_.studio);
    if (context_.studio.empty()) {
        context_.messenger.status(Msg::NoFileSelected);
        context_.messenger.show(Msg::NoFileSelected, MsgIcon::Exclamation);
        return {};
    }
    work.clear();
    work.clearFolders();
    for (const std::string& entry : context_.studio.entries()) {
        if (work.aborted())
            break;
        work.ExpandEntry(entry, true);
    }
    const DeleteOutcome outcome = confirmAndDelete(work.files(), Flow::Studio);
    work.removeEmptiedFolders();
    work.clear();
    context_.progressView().reset();
    context_.messenger.interaction().status(std::string());
    context_.studio.dropMissing();
    context_.progressView().refresh();
    return outcome;
}

DeleteOutcome DeleteFlows::deleteSelectedItems(const std::string& folder, const std::vector<std::string>& names)
{
    WorkList& work = context_.work;
    work.clear();
    work.clearFolders();
    for (const std::string& name : names)
        work.ExpandEntry(BatchFiles::withSlash(folder) + name, true);
    const DeleteOutcome outcome = confirmAndDelete(work.files(), Flow::FilePane);
    work.removeEmptiedFolders();
    work.clear();
    context_.progressView().refresh();
    context_.progressView().reset();
    context_.messenger.interaction().status(std::string());
    return outcome;
}

DeleteOutcome DeleteFlows::deleteWorkList()
{
    WorkList& work = context_.work;
    const std::vector<std::string> handed = work.files();
    work.clear();
    for (const std::string& path : handed)
        work.ExpandEntry(path, true);
    const DeleteOutcome outcome = confirmAndDelete(work.files(), Flow::Shell);
    work.removeEmptiedFolders();
    work.clear();
    return outcome;
}

DeleteOutcome DeleteFlows::confirmAndDelete(const std::vector<std::string>& files, Flow flow)
{
    DeleteOutcome outcome;
    IBatchProgress& progress = context_.progressView();
    const bool showsProgress = flow != Flow::Shell;
    if (showsProgress)
        progress.setRange(static_cast<int>(files.size()));
    bool deleteAll = false;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string& path = files[i];
        if (showsProgress)
            context_.messenger.status(Msg::PerfectDeletingPath, BatchFiles::baseName(path));
        if (BatchFiles::isOtherThanRegularFile(path)) {
            context_.messenger.show(Msg::NotRegularFile, MsgIcon::Exclamation, path);
            outcome.refused.push_back(path);
        } else if (BatchFiles::isReadOnly(path)) {
            refuseReadOnly(path, flow);
            outcome.refused.push_back(path);
        } else {
            const int answer = deleteAll ? CContinueConfirmDialog::kFirst : ask(path, i + 1 < files.size(), flow);
            if (answer == CContinueConfirmDialog::kFourth) {
                outcome.stopped = true;
                break;
            }
            if (answer == CContinueConfirmDialog::kSecond)
                deleteAll = true;
            if (answer != CContinueConfirmDialog::kThird) {
                const int result = context_.destroy(path);
                (result == SecureDeleteResult::kDestroyed        ? outcome.deleted
                 : result == SecureDeleteResult::kNameRemovedOnly ? outcome.namesOnly
                                                                  : outcome.failed)
                    .push_back(path);
            }
        }
        if (showsProgress)
            progress.step();
    }
    return outcome;
}

int DeleteFlows::ask(const std::string& path, bool moreFollow, Flow flow)
{
    // Files handed over from outside were never shown to the user: the whole
    // path, so that "a" is not mistaken for the "a" of another folder.
    const std::string shown = flow == Flow::Shell ? path : BatchFiles::baseName(path);
    const std::string text = shown + "\n" + context_.messenger.text(Msg::DeleteThisFileQuestion);
    if (!moreFollow)
        return context_.messenger.askYesNoText(text, MsgIcon::Question) ? CContinueConfirmDialog::kFirst
                                                                        : CContinueConfirmDialog::kThird;
    return CContinueConfirmDialog::forDelete(context_.messenger.table(), text).DoModal(context_.messenger.interaction());
}

void DeleteFlows::refuseReadOnly(const std::string& path, Flow flow)
{
    const std::string separator = flow == Flow::Shell ? "\n" : "";
    context_.messenger.showText(path + separator + context_.messenger.text(Msg::ReadOnlyCannotDelete),
                                MsgIcon::Exclamation);
}

} // namespace mvx

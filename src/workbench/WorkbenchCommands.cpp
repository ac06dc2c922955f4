#include "workbench/WorkbenchCommands.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "engine/EncryptionSettings.h"
#include "workbench/BatchContext.h"
#include "workbench/BatchFiles.h"
#include "workbench/DeleteFlows.h"
#include "workbench/IKeyDropHandler.h"
#include "workbench/StudioList.h"
#include "workbench/WorkList.h"

namespace mvx {

bool WorkbenchCommands::encryptButton(const std::vector<std::string>& addressList, bool settingForEncryption,
                                      bool attachToMail, EncryptOutcome* outcome)
{
    if (addressList.empty()) {
        context_.messenger.show(Msg::NotSetUpPartner, MsgIcon::Stop);
        return false;
    }
    context_.work.rebuildFrom(context_.studio);
    context_.studio.clear();
    EncryptRequest request;
    request.kind = kKindMainWindow;
    request.destinations = addressList;
    request.useOptionsDialog = settingForEncryption;
    request.attachToMail = attachToMail;
    EncryptBatch batch(context_);
    const EncryptOutcome result = batch.run(request);
    if (outcome)
        *outcome = result;
    return true;
}

EncryptOutcome WorkbenchCommands::encryptForOneself(const std::vector<std::string>& paths)
{
    context_.work.clear();
    context_.work.clearFolders();
    for (const std::string& path : paths)
        context_.work.ExpandEntry(path, false);
    EncryptRequest request;
    request.kind = kKindForOneself;
    EncryptBatch batch(context_);
    const EncryptOutcome outcome = batch.run(request);
    context_.progressView().refresh();
    context_.studio.clear();
    return outcome;
}

DecryptOutcome WorkbenchCommands::decryptButton()
{
    context_.work.rebuildFrom(context_.studio);
    DecryptBatch batch(context_);
    return batch.run(kKindChooseDestinations);
}

DecryptOutcome WorkbenchCommands::decryptSelected(const std::string& folder, const std::vector<std::string>& names)
{
    context_.work.clear();
    for (const std::string& name : names)
        context_.work.append(BatchFiles::withSlash(folder) + name);
    DecryptBatch batch(context_);
    return batch.run(kKindForOneself);
}

DecryptOutcome WorkbenchCommands::decryptReceived()
{
    const auto chosen = context_.messenger.interaction().chooseFilesFiltered(
        context_.messenger.text(Msg::ChooseReceivedContainers), std::string(),
        context_.messenger.text(Msg::EncryptedFilesFilter));
    if (chosen.empty())
        return {};
    context_.work.clear();
    context_.work.setFiles(chosen);
    DecryptBatch batch(context_);
    return batch.run(kKindSilent, context_.settings.klxKeep);
}

EncryptOutcome WorkbenchCommands::encryptFromDestinationList(const std::vector<std::string>& plainFiles)
{
    context_.work.clear();
    context_.work.clearFolders();
    context_.work.setFiles(plainFiles);
    EncryptRequest request;
    request.kind = kKindFromDestinationList;
    return EncryptBatch(context_).run(request);
}

EncryptOutcome WorkbenchCommands::miniEncryptButton()
{
    IInteraction& ui = context_.messenger.interaction();
    const auto chosen = ui.chooseFilesFiltered(context_.messenger.text(Msg::SelectFilesToEncrypt), std::string(),
                                               context_.messenger.text(Msg::AllFilesFilter));
    if (chosen.empty())
        return {};
    context_.work.clear();
    context_.work.clearFolders();
    context_.work.setFiles(chosen);
    EncryptBatch batch(context_);
    return batch.run({});
}

bool WorkbenchCommands::shellRequest(CommandLine::Switch kind, const std::vector<std::string>& paths)
{
    StudioList handedOver;
    for (const std::string& path : paths)
        handedOver.AddToStudio(path);
    context_.work.rebuildFrom(handedOver);
    switch (kind) {
    case CommandLine::Switch::Encrypt: EncryptBatch(context_).run({}); return true;
    case CommandLine::Switch::Decrypt: DecryptBatch(context_).run(kKindChooseDestinations); return true;
    case CommandLine::Switch::Delete: DeleteFlows(context_).deleteWorkList(); return true;
    default: return false;
    }
}

DroppedFiles WorkbenchCommands::sortDropped(const std::vector<std::string>& paths)
{
    DroppedFiles sorted;
    auto sortFile = [&sorted](const std::string& path) {
        const std::string name = BatchFiles::baseName(path);
        if (BatchFiles::endsWithLower(name, "_user.kbky"))
            sorted.keyFragments.push_back(path);
        else if (BatchFiles::endsWithLower(name, ".klx"))
            sorted.containers.push_back(path);
        else if (BatchFiles::endsWithLower(name, ".kpub"))
            sorted.publicKeys.push_back(path);
        else
            sorted.plainFiles.push_back(path);
    };
    for (const std::string& path : paths) {
        if (!BatchFiles::isDirectory(path)) {
            sortFile(path);
            continue;
        }
        WorkList inside;
        inside.ExpandFolder(path, false);
        for (const std::string& file : inside.files())
            sortFile(file);
    }
    return sorted;
}

void WorkbenchCommands::dropOnMiniWindow(const std::vector<std::string>& paths, bool ddSelfEncrypt,
                                         IKeyDropHandler* keys)
{
    const DroppedFiles sorted = sortDropped(paths);
    if (keys && !sorted.keyFragments.empty())
        keys->repairFromFragments(sorted.keyFragments);
    if (keys && !sorted.publicKeys.empty())
        keys->registerPublicKeys(sorted.publicKeys);
    if (!sorted.containers.empty()) {
        context_.work.setFiles(sorted.containers);
        DecryptBatch batch(context_);
        batch.run(kKindFromDestinationList);
    }
    if (!sorted.plainFiles.empty()) {
        context_.work.clearFolders();
        context_.work.setFiles(sorted.plainFiles);
        EncryptRequest request;
        request.kind = ddSelfEncrypt ? kKindForOneself : kKindChooseDestinations;
        EncryptBatch batch(context_);
        batch.run(request);
    }
}

} // namespace mvx

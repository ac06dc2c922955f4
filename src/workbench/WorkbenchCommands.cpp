#include "workbench/WorkbenchCommands.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "engine/EncryptionSettings.h"
#include "workbench/BatchContext.h"
#include "workbench/BatchFiles.h"
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

} // namespace mvx

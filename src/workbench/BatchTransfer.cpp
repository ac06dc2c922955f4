#include "workbench/BatchTransfer.h"

#include "workbench/DecryptBatch.h"
#include "workbench/EncryptBatch.h"
#include "workbench/IEncryptChooser.h"
#include "workbench/WorkbenchSession.h"

namespace mvx {

std::vector<std::string> BatchTransfer::EncryptForTransfer(const std::vector<std::string>& files,
                                                           const std::vector<std::string>& recipientKeyFiles,
                                                           const std::string& outputFolder)
{
    EncryptChoices choices;
    choices.destinations = recipientKeyFiles;
    choices.options.history = false;
    choices.options.outputFolder = outputFolder;
    PresetEncryptChooser chooser(choices);
    BatchContext& context = session_.context();
    IEncryptChooser* previous = context.chooser;
    context.chooser = &chooser;
    context.work.setFiles(files);
    EncryptRequest request;
    request.kind = kKindFromDestinationList;
    request.interactive = false;
    const EncryptOutcome outcome = EncryptBatch(context).run(request);
    context.chooser = previous;
    return outcome.containers;
}

int BatchTransfer::DecryptReceived(const std::vector<std::string>& containers)
{
    session_.work().setFiles(containers);
    const DecryptOutcome outcome = DecryptBatch(session_.context()).run(kKindSilent);
    return static_cast<int>(outcome.decrypted.size());
}

} // namespace mvx

#include "workbench/ProtectedFolder.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "engine/EncryptionSettings.h"
#include "workbench/BatchContext.h"
#include "workbench/BatchFiles.h"
#include "workbench/WorkList.h"

#include <utility>

namespace mvx {

ProtectedFolder::ProtectedFolder(BatchContext& context, std::string folder)
    : context_(context), folder_(BatchFiles::withSlash(folder))
{
}

bool ProtectedFolder::folderThere()
{
    if (!folder_.empty() && BatchFiles::isDirectory(folder_))
        return true;
    context_.messenger.show(Msg::AutoFolderMissing, MsgIcon::Stop);
    return false;
}

EncryptOutcome ProtectedFolder::encryptAtExit(bool autoClose)
{
    if (!folderThere())
        return {};
    WorkList& work = context_.work;
    work.clear();
    work.clearFolders();
    work.ExpandFolder(folder_, true);
    if (work.size() > kManyFiles && !context_.messenger.askYesNo(Msg::ThousandFilesQuestion, MsgIcon::Question)) {
        work.clear();
        return {};
    }
    leaveOutReadOnlyFiles();
    waitForOpenFiles(autoClose);
    EncryptBatch batch(context_);
    return batch.run({kKindProtectedFolder, true, {}, {}, false, false});
}

void ProtectedFolder::leaveOutReadOnlyFiles()
{
    auto& files = context_.work.files();
    bool noticeShown = false;
    for (size_t i = files.size(); i-- > 0;) {
        if (!BatchFiles::isReadOnly(files[i]))
            continue;
        files.erase(files.begin() + static_cast<long>(i));
        if (noticeShown || context_.settings.stopDlg)
            continue;
        noticeShown = true;
        if (context_.messenger.notice(Msg::ContinuesCheck, context_.messenger.text(Msg::ReadOnlyInProtectedFolder),
                                      Msg::DoNotShowAgain))
            context_.settings.stopDlg = true;
    }
}

void ProtectedFolder::waitForOpenFiles(bool autoClose)
{
    auto& files = context_.work.files();
    auto canOpen = [this](const std::string& path) {
        return context_.canOpen ? context_.canOpen(path) : BatchFiles::canOpenForReading(path);
    };
    bool autoNoticeShown = false;
    for (size_t i = files.size(); i-- > 0;) {
        if (canOpen(files[i]))
            continue;
        if (autoClose) {
            if (!autoNoticeShown && !context_.settings.autoEncComplusion) {
                autoNoticeShown = true;
                if (context_.messenger.notice(Msg::ContinuesCheck, context_.messenger.text(Msg::AutoCloseFileStillOpen),
                                              Msg::DoNotShowAgain))
                    context_.settings.autoEncComplusion = true;
            }
            files.erase(files.begin() + static_cast<long>(i));
            continue;
        }
        // The user closes the file and confirms; Cancel leaves it out rather
        // than holding the program open for good.
        bool open = false;
        while (!open && context_.messenger.askOkCancel(Msg::AutoCloseFileStillOpen, MsgIcon::Stop))
            open = canOpen(files[i]);
        if (!open)
            files.erase(files.begin() + static_cast<long>(i));
    }
}

DecryptOutcome ProtectedFolder::decryptAtStart()
{
    if (!folderThere())
        return {};
    WorkList& work = context_.work;
    work.clear();
    work.clearFolders();
    work.ExpandFolder(folder_, true);
    if (work.empty())  // an empty folder is nothing to report at every start
        return {};
    // Every file goes back beside its container, into its own subfolder; the
    // decryption folder (which is this folder) would flatten the tree. The
    // containers are the user's own, made at exit: no file is opened in its
    // program and no sender is offered for authentication.
    const std::string decryptionFolder = std::exchange(context_.settings.destPath2, std::string());
    IUnknownSenderHandler* unknownSender = std::exchange(context_.unknownSender, nullptr);
    DecryptBatch batch(context_);
    const DecryptOutcome outcome = batch.run(kKindSilent, context_.settings.klxKeep);
    context_.settings.destPath2 = decryptionFolder;
    context_.unknownSender = unknownSender;
    return outcome;
}

DecryptOutcome ProtectedFolder::decryptOnUsb(bool inquire)
{
    if (inquire && !context_.messenger.askYesNo(Msg::UsbDecryptQuestion, MsgIcon::Question))
        return {};
    return decryptAtStart();
}

} // namespace mvx

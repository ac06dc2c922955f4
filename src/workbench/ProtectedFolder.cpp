#include "workbench/ProtectedFolder.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "engine/EncryptionSettings.h"
#include "platform/StaleTemporaries.h"
#include "workbench/BatchContext.h"
#include "workbench/BatchFiles.h"
#include "workbench/WorkList.h"

#include <algorithm>
#include <utility>

namespace mvx {

namespace {

// The folder and every folder below it.
std::vector<std::string> folderTree(const std::string& folder)
{
    WorkList walk;
    walk.ExpandFolder(folder, true);
    std::vector<std::string> folders = {folder};
    folders.insert(folders.end(), walk.folders().begin(), walk.folders().end());
    return folders;
}

} // namespace

bool ProtectedFolderClosing::closed() const
{
    return std::none_of(stayedPlain.begin(), stayedPlain.end(), [](const PlainFile& file) {
        return file.reasonSlot == Msg::PlainBecauseNotEncrypted || file.reasonSlot == Msg::PlainBecauseNotDestroyed;
    });
}

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

void ProtectedFolder::destroyStaleTemporaries()
{
    for (const std::string& folder : folderTree(folder_))
        StaleTemporaries::removeIn(folder);
}

ProtectedFolderClosing ProtectedFolder::encryptAtExit(bool autoClose)
{
    ProtectedFolderClosing closing;
    if (!folderThere())
        return closing;
    destroyStaleTemporaries();
    WorkList& work = context_.work;
    work.clear();
    work.clearFolders();
    work.ExpandFolder(folder_, true);
    if (work.size() > kManyFiles && !context_.messenger.askYesNo(Msg::ThousandFilesQuestion, MsgIcon::Question)) {
        work.clear();
        return closing;
    }
    setAsideLinksAndHidden(closing);
    leaveOutReadOnlyFiles(closing);
    waitForOpenFiles(autoClose, closing);
    // One report at the end names every file that stayed plain, instead of a
    // message per file (a full disk fails them all).
    context_.messenger.holdMessages();
    EncryptBatch batch(context_);
    closing.encryption = batch.run({kKindProtectedFolder, true, {}, {}, false, false});
    context_.messenger.releaseMessages();
    for (const std::string& path : closing.encryption.notEncrypted)
        closing.stayedPlain.push_back({path, Msg::PlainBecauseNotEncrypted});
    for (const std::string& path : closing.encryption.deletionFailures)
        closing.stayedPlain.push_back({path, Msg::PlainBecauseNotDestroyed});
    report(closing);
    return closing;
}

void ProtectedFolder::setAsideLinksAndHidden(ProtectedFolderClosing& closing)
{
    // Batches leave these out; here the user learns which ones stay plain.
    auto& files = context_.work.files();
    std::vector<std::string> kept;
    for (const std::string& path : files) {
        if (BatchFiles::endsWith(path, ".lnk"))
            closing.stayedPlain.push_back({path, Msg::PlainBecauseLink});
        else if (BatchFiles::isHidden(path))
            closing.stayedPlain.push_back({path, Msg::PlainBecauseHidden});
        else
            kept.push_back(path);
    }
    files = std::move(kept);
}

void ProtectedFolder::leaveOutReadOnlyFiles(ProtectedFolderClosing& closing)
{
    auto& files = context_.work.files();
    bool noticeShown = false;
    for (size_t i = files.size(); i-- > 0;) {
        if (!BatchFiles::isReadOnly(files[i]))
            continue;
        closing.stayedPlain.push_back({files[i], Msg::PlainBecauseLeftOut});
        files.erase(files.begin() + static_cast<long>(i));
        if (noticeShown || context_.settings.stopDlg)
            continue;
        noticeShown = true;
        if (context_.messenger.notice(Msg::ContinuesCheck, context_.messenger.text(Msg::ReadOnlyInProtectedFolder),
                                      Msg::DoNotShowAgain))
            context_.settings.stopDlg = true;
    }
}

void ProtectedFolder::waitForOpenFiles(bool autoClose, ProtectedFolderClosing& closing)
{
    auto& files = context_.work.files();
    auto canOpen = [this](const std::string& path) {
        return context_.canOpen ? context_.canOpen(path) : BatchFiles::canOpenForReading(path);
    };
    auto leaveOut = [&](size_t i) {
        closing.stayedPlain.push_back({files[i], Msg::PlainBecauseLeftOut});
        files.erase(files.begin() + static_cast<long>(i));
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
            leaveOut(i);
            continue;
        }
        // The user closes the file and confirms; Cancel leaves it out rather
        // than holding the program open for good.
        bool open = false;
        while (!open && context_.messenger.askOkCancel(Msg::AutoCloseFileStillOpen, MsgIcon::Stop))
            open = canOpen(files[i]);
        if (!open)
            leaveOut(i);
    }
}

void ProtectedFolder::report(const ProtectedFolderClosing& closing)
{
    if (closing.stayedPlain.empty())
        return;
    std::string list;
    for (const auto& file : closing.stayedPlain)
        list += file.path + ": " + context_.messenger.text(file.reasonSlot) + "\n";
    context_.messenger.show(Msg::ProtectedFolderStayedPlain, MsgIcon::Exclamation, folder_, list);
}

size_t ProtectedFolder::plainFileCount(const std::string& folder)
{
    if (folder.empty() || !BatchFiles::isDirectory(folder))
        return 0;
    WorkList walk;
    walk.ExpandFolder(BatchFiles::withSlash(folder), true);
    return static_cast<size_t>(std::count_if(walk.files().begin(), walk.files().end(), [](const std::string& path) {
        return BatchFiles::upperExtension(path) != "KLX" && StaleTemporaries::ownerOf(BatchFiles::baseName(path)) == 0;
    }));
}

DecryptOutcome ProtectedFolder::decryptAtStart()
{
    if (!folderThere())
        return {};
    destroyStaleTemporaries();
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

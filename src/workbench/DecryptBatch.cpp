#include "workbench/DecryptBatch.h"

#include "app/CContinueConfirmDialog.h"
#include "app/CMessenger.h"
#include "app/Msg.h"
#include "engine/EncryptionSettings.h"
#include "platform/FileIo.h"
#include "workbench/BatchContext.h"
#include "workbench/BatchFiles.h"
#include "workbench/IFileCrypto.h"
#include "workbench/IUnknownSenderHandler.h"
#include "workbench/KeySetCheck.h"
#include "workbench/OutputGuard.h"
#include "workbench/StudioList.h"
#include "workbench/WorkList.h"

#include <exception>
#include <unistd.h>

namespace mvx {

DecryptBatch::DecryptBatch(BatchContext& context)
    : context_(context)
{
}

std::string DecryptBatch::outputPathFor(const std::string& containerPath, const std::string& outputFolder)
{
    std::string name = BatchFiles::baseName(containerPath);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos)
        name.erase(dot);
    const std::string folder = outputFolder.empty() ? BatchFiles::folderOf(containerPath)
                                                    : BatchFiles::withSlash(outputFolder);
    return folder + name;
}

std::string DecryptBatch::saveFilter(const std::string& outputPath, const CMessageTable& table)
{
    const std::string name = BatchFiles::baseName(outputPath);
    const size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || dot + 1 == name.size())
        return table.text(Msg::AllFilesFilter);
    const std::string extension = name.substr(dot + 1);
    return table.text(Msg::FilterAllOfTypePrefix) + extension + table.text(Msg::FilterFilesOfTypeMiddle) +
           extension + ")|*." + extension + "||";
}

DecryptOutcome DecryptBatch::run(int kind, bool keepContainers)
{
    kind_ = kind;
    keepContainers_ = keepContainers;
    overwriteAll_ = false;
    cancelled_ = false;
    notEncryptedNotice_.emplace(context_.messenger.table());
    readOnlyNotice_.emplace(context_.messenger.table());
    DecryptOutcome outcome;

    if (!KeySetCheck::verify(context_.keys, context_.messenger))
        return outcome;
    if (context_.work.empty()) {
        context_.messenger.status(Msg::NoFileSelected);
        context_.messenger.show(Msg::NoFileSelected, MsgIcon::Exclamation);
        return outcome;
    }
    if (!context_.crypto)
        return outcome;
    IBatchProgress& progress = context_.progressView();
    const std::vector<std::string> files = context_.work.files();
    const size_t count = files.size();
    progress.setRange(static_cast<int>(count));
    progress.openWait(context_.messenger.text(Msg::DecryptProcessingWait));
    expectFiles(files);

    bool stopped = false;
    for (size_t i = 0; i < count && !stopped && !context_.work.aborted(); ++i) {
        const std::string& path = files[i];
        const long long position = static_cast<long long>(i + 1);
        if (kind_ == kKindSilent)
            progress.progressText(
                context_.messenger.format(Msg::ProtectedFolderDecrypting, position, static_cast<long long>(count)));
        else
            progress.progressText(
                context_.messenger.format(Msg::DecryptingFileOf, static_cast<long long>(count), position));
        context_.messenger.status(Msg::DecryptingPath, path);

        if (checkContainer(path, count) != Step::Go)
            continue;
        std::string output = outputPathFor(path, context_.settings.destPath2);
        Step step = chooseOutput(output, count);
        if (step == Step::Go)
            step = confirmOverwrite(output, count);
        if (step == Step::Stop) {
            stopped = true;
            break;
        }
        if (step == Step::Skip)
            continue;
        DecryptedSender sender;
        if (decryptOne(path, output, sender)) {
            outcome.decrypted.push_back(path);
            outcome.outputs.push_back(output);
            outcome.senders.push_back(sender);
            deleteContainer(path, outcome);
        }
        progress.step();
    }
    outcome.completed = !stopped;
    finish(outcome);
    return outcome;
}

void DecryptBatch::expectFiles(const std::vector<std::string>& files)
{
    std::vector<IFileCrypto::PlannedDecryption> planned;
    for (const std::string& path : files)
        if (BatchFiles::endsWithLower(BatchFiles::baseName(path), ".klx"))
            planned.push_back({path, outputPathFor(path, context_.settings.destPath2)});
    context_.crypto->expectDecryptions(planned);
}

DecryptBatch::Step DecryptBatch::checkContainer(const std::string& path, size_t count)
{
    if (!BatchFiles::endsWithLower(BatchFiles::baseName(path), ".klx")) {
        if (kind_ != kKindSilent) {
            const std::string text = BatchFiles::baseName(path) + context_.messenger.text(Msg::IsNotEncrypted);
            if (count > 1)
                notEncryptedNotice_->show(context_.messenger.interaction(), text);
            else
                context_.messenger.showText(text, MsgIcon::Stop);
        }
        return Step::Skip;
    }
    if (BatchFiles::isOtherThanRegularFile(path)) {
        context_.messenger.show(Msg::NotRegularFile, MsgIcon::Stop, path);
        return Step::Skip;
    }
    if (context_.isOnCdRom && context_.isOnCdRom(path)) {
        context_.messenger.show(Msg::CdRomDecryptionNotAllowed, MsgIcon::Stop);
        return Step::Skip;
    }
    if (BatchFiles::isReadOnly(path)) {
        readOnlyNotice_->show(context_.messenger.interaction(), context_.messenger.text(Msg::ContainerReadOnly));
        return Step::Skip;
    }
    return Step::Go;
}

DecryptBatch::Step DecryptBatch::chooseOutput(std::string& outputPath, size_t count)
{
    if (count != 1 || (kind_ != kKindChooseDestinations && kind_ != kKindForOneself))
        return Step::Go;
    const auto chosen = context_.messenger.interaction().chooseSavePathFiltered(
        context_.messenger.text(Msg::DecryptSaveTitle), outputPath, saveFilter(outputPath, context_.messenger.table()));
    if (!chosen || chosen->empty()) {
        cancelled_ = true;
        return Step::Stop;
    }
    outputPath = *chosen;
    return Step::Go;
}

DecryptBatch::Step DecryptBatch::confirmOverwrite(const std::string& outputPath, size_t count)
{
    if (!BatchFiles::exists(outputPath))
        return Step::Go;
    if (BatchFiles::isReadOnly(outputPath) || BatchFiles::isDirectory(outputPath)) {
        context_.messenger.show(Msg::ReadOnlyCannotOverwrite, MsgIcon::Exclamation, outputPath);
        return Step::Skip;
    }
    if (overwriteAll_)
        return Step::Go;
    const std::string text = BatchFiles::baseName(outputPath) + context_.messenger.text(Msg::OverwriteDecryptQuestion);
    if (count == 1)
        return context_.messenger.askYesNoText(text, MsgIcon::Question) ? Step::Go : Step::Skip;
    switch (CContinueConfirmDialog::forOverwrite(context_.messenger.table(), text)
                .DoModal(context_.messenger.interaction())) {
    case CContinueConfirmDialog::kFirst: return Step::Go;
    case CContinueConfirmDialog::kSecond: overwriteAll_ = true; return Step::Go;
    case CContinueConfirmDialog::kThird: return Step::Skip;
    default: return Step::Stop;
    }
}

bool DecryptBatch::decryptOne(const std::string& containerPath, const std::string& outputPath,
                              DecryptedSender& sender)
{
    IFileCrypto& crypto = *context_.crypto;
    try {
        std::string plainName;
        const int opened = crypto.openContainer(containerPath, plainName);
        if (opened == 0)
            return false;
        // The plain file takes its name only when complete (an older file of
        // that name stays until then) and is readable by its owner alone.
        staleOutputs_.before(outputPath);
        OutputGuard guard(outputPath, 0600, crypto.takePreparedPlainFile(containerPath, outputPath));
        if (!guard.ready()) {
            context_.messenger.show(Msg::OutputFileCannotOpen, MsgIcon::Stop);
            return false;
        }
        if (!crypto.decryptBody(containerPath, guard.path()))
            return false;
        if (!guard.commit(crypto.outputFlushed(), folderFlushes_)) {
            context_.messenger.show(Msg::PlainFileWriteFailed, MsgIcon::Stop, outputPath);
            return false;
        }
        sender = {opened >= 2, crypto.senderName(), crypto.senderMail()};
        if (opened == 1 && context_.unknownSender)
            context_.unknownSender->onUnknownSender(
                {kind_, containerPath, outputPath, crypto.senderName(), crypto.senderMail()});
        return true;
    } catch (const std::exception&) {
    } catch (...) {
    }
    context_.messenger.show(Msg::HappenToError, MsgIcon::Stop);
    return false;
}

void DecryptBatch::deleteContainer(const std::string& path, DecryptOutcome& outcome)
{
    const bool wanted = kind_ == kKindSilent ? !keepContainers_ : context_.settings.deleteCheck2;
    if (!wanted || !BatchFiles::exists(path))
        return;
    folderFlushes_.flushAll();  // the plain file's name is on disk before its container goes
    const bool gone = kind_ == kKindSilent ? removeFile(path) : context_.destroy(path) != 0;
    if (gone)
        outcome.deletedContainers.push_back(path);
    else
        context_.messenger.show(Msg::DeletionFailed, MsgIcon::Exclamation, path);
}

void DecryptBatch::finish(const DecryptOutcome& outcome)
{
    folderFlushes_.flushAll();
    context_.crypto->finishBatch();
    IBatchProgress& progress = context_.progressView();
    if (kind_ != kKindSilent && !cancelled_)
        context_.messenger.show(Msg::FilesDecryptedSummary, MsgIcon::Information,
                                static_cast<long long>(outcome.decrypted.size()));
    progress.reset();
    progress.refresh();
    if (kind_ == kKindChooseDestinations || kind_ == kKindForOneself)
        for (auto it = outcome.decrypted.rbegin(); it != outcome.decrypted.rend(); ++it)
            context_.studio.remove(*it);
    context_.work.clear();
    context_.messenger.interaction().status(std::string());
    progress.closeWait();
}

} // namespace mvx

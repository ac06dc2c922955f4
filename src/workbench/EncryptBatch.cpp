#include "workbench/EncryptBatch.h"

#include "app/CContinueConfirmDialog.h"
#include "app/CMessenger.h"
#include "app/Msg.h"
#include "engine/EncryptionSettings.h"
#include "engine/RsaKeyWrapper.h"
#include "platform/Clock.h"
#include "workbench/BatchContext.h"
#include "workbench/BatchFiles.h"
#include "workbench/IDestinationDirectory.h"
#include "workbench/IMailComposer.h"
#include "workbench/KeySetCheck.h"
#include "workbench/OutputGuard.h"
#include "workbench/StudioList.h"
#include "workbench/WorkList.h"

#include <algorithm>

namespace mvx {

namespace {

bool showsProgressBar(int kind)
{
    return kind != kKindFromDestinationList && kind != kKindSilent && kind != kKindProtectedFolder;
}

bool isAutomatic(int kind) { return kind == kKindSilent || kind == kKindProtectedFolder; }

bool isAuthenticatedKey(const std::string& keyFile)
{
    return BatchFiles::endsWithLower(BatchFiles::baseName(keyFile), "-auth.kpub");
}

} // namespace

EncryptBatch::EncryptBatch(BatchContext& context)
    : context_(context)
{
}

std::string EncryptBatch::outputPathFor(const std::string& plainPath, const std::string& outputFolder)
{
    const std::string folder = outputFolder.empty() ? BatchFiles::folderOf(plainPath)
                                                    : BatchFiles::withSlash(outputFolder);
    return folder + BatchFiles::baseName(plainPath) + ".klx";
}

EncryptOutcome EncryptBatch::run(const EncryptRequest& request)
{
    kind_ = request.kind;
    interactive_ = request.interactive;
    plan_ = Plan();
    overwriteAll_ = false;
    alreadyEncryptedNotice_.emplace(context_.messenger.table());
    EncryptOutcome outcome;

    if (!isAutomatic(kind_) && !KeySetCheck::verify(context_.keys, context_.messenger))
        return outcome;
    removeLinksAndHidden();
    if (reportEmptyList())
        return outcome;
    if (showsProgressBar(kind_))
        context_.progressView().setRange(static_cast<int>(context_.work.size()));
    if (!takeDestinations(request))
        return outcome;
    if (!isAutomatic(kind_) && !settleKeyFiles())
        return outcome;
    optionWord_ = buildOptionWord();
    if (interactive_)
        context_.progressView().openWait(context_.messenger.text(Msg::EncryptProcessingWait));

    const bool encrypted = encryptAll(outcome);
    folderFlushes_.flushAll();  // before any plain file goes
    if (context_.crypto)
        context_.crypto->finishBatch();
    if (!encrypted) {
        endEarly();
        return outcome;
    }
    if (interactive_)
        context_.progressView().closeWait();
    if (!context_.work.empty()) {
        deletePlainFiles(outcome);
        composeMail(outcome);
        if (interactive_ && !isAutomatic(kind_))
            context_.messenger.show(Msg::FilesEncryptedSummary, MsgIcon::Information,
                                    static_cast<long long>(outcome.containers.size()));
    }
    finish();
    outcome.completed = true;
    return outcome;
}

void EncryptBatch::removeLinksAndHidden()
{
    auto& files = context_.work.files();
    bool links = false;
    bool hidden = false;
    for (size_t i = files.size(); i-- > 0;) {
        if (BatchFiles::endsWith(files[i], ".lnk")) {
            links = true;
            files.erase(files.begin() + static_cast<long>(i));
        } else if (BatchFiles::isHidden(files[i])) {
            hidden = true;
            files.erase(files.begin() + static_cast<long>(i));
        }
    }
    if (links && hidden)
        context_.messenger.show(Msg::RemovedHiddenAndLinks, MsgIcon::Stop);
    else if (links)
        context_.messenger.show(Msg::RemovedLinks, MsgIcon::Stop);
    else if (hidden)
        context_.messenger.show(Msg::RemovedHidden, MsgIcon::Stop);
}

bool EncryptBatch::reportEmptyList()
{
    if (!context_.work.empty())
        return false;
    if (kind_ != kKindProtectedFolder) {
        context_.messenger.status(Msg::NoFileInStudio);
        context_.messenger.show(Msg::NoFileInStudio, MsgIcon::Exclamation);
    }
    context_.progressView().refresh();
    return true;
}

void EncryptBatch::useOutputFolderIfThere(const std::string& folder)
{
    if (!folder.empty() && BatchFiles::isDirectory(folder))
        plan_.outputFolder = BatchFiles::withSlash(folder);
}

bool EncryptBatch::takeChoices(const std::optional<EncryptChoices>& choices)
{
    if (!choices)
        return false;
    plan_.destinations = choices->destinations;
    plan_.options = choices->options;
    plan_.optionsGiven = true;
    plan_.mail = choices->mail;
    plan_.outputFolder = context_.settings.destPath1;
    useOutputFolderIfThere(choices->options.outputFolder);
    return true;
}

bool EncryptBatch::takeDestinations(const EncryptRequest& request)
{
    switch (kind_) {
    case kKindChooseDestinations: {
        std::optional<EncryptChoices> choices;
        if (context_.chooser)
            choices = context_.chooser->chooseDestinations(context_.keys.userName, context_.work.files());
        if (takeChoices(choices))
            return true;
        context_.work.clear();
        context_.work.clearFolders();
        context_.studio.clear();
        return false;
    }
    case kKindForOneself:
        if (context_.keys.selfAuthKeyFile.empty() || !BatchFiles::isRegularFile(context_.keys.selfAuthKeyFile)) {
            context_.messenger.show(Msg::NoSelfAuthKey, MsgIcon::Stop);
            return false;
        }
        plan_.destinations = {context_.keys.selfAuthKeyFile};
        plan_.outputFolder = context_.settings.destPath1;
        return true;
    case kKindFromDestinationList:
        return context_.chooser && takeChoices(context_.chooser->destinationListSelection());
    case kKindMainWindow:
        plan_.destinations = request.destinations;
        plan_.outputFolder = context_.settings.destPath1;
        plan_.mail = request.attachToMail;
        if (request.useOptionsDialog) {
            EncryptOptionRules dialog(context_.settings.deleteCheck1);
            if (!context_.chooser || !context_.chooser->runEncryptOptions(dialog))
                return false;
            plan_.options = dialog.options();
            plan_.optionsGiven = true;
            useOutputFolderIfThere(plan_.options.outputFolder);
        }
        return true;
    case kKindSilent:
        plan_.destinations = request.destinations;
        plan_.outputFolder = BatchFiles::withSlash(request.outputFolder);
        plan_.mail = true;
        return true;
    case kKindProtectedFolder:
        plan_.destinations = {context_.keys.selfAuthKeyFile};
        return true;
    default:
        return false;
    }
}

bool EncryptBatch::settleKeyFiles()
{
    std::vector<std::string> expanded;
    std::vector<std::string> fromFolders;
    for (const std::string& destination : plan_.destinations) {
        if (!destination.empty() && destination.back() == '/') {
            if (context_.directory)
                for (const std::string& keyFile : context_.directory->keyFilesIn(destination))
                    fromFolders.push_back(keyFile);
        } else {
            expanded.push_back(destination);
        }
    }
    expanded.insert(expanded.end(), fromFolders.begin(), fromFolders.end());
    plan_.destinations.clear();
    for (const std::string& keyFile : expanded) {
        if (!BatchFiles::isRegularFile(keyFile))
            context_.messenger.show(Msg::DestinationKeyNotFound, MsgIcon::Exclamation, keyFile);
        else if (RsaKeyWrapper::holdsPrivateKey(keyFile))
            context_.messenger.show(Msg::PrivateKeyNotAccepted, MsgIcon::Stop, keyFile);
        else
            plan_.destinations.push_back(keyFile);
    }
    if (!plan_.destinations.empty())
        return true;
    context_.messenger.show(Msg::NoAvailablePublicKey, MsgIcon::Stop);
    return false;
}

uint32_t EncryptBatch::buildOptionWord() const
{
    uint32_t word = 0;
    if (kind_ == kKindForOneself || (kind_ == kKindMainWindow && !plan_.optionsGiven)) {
        word = kOptionHistory;
    } else if (!isAutomatic(kind_)) {
        if (plan_.options.timeLimitOn)
            word += kOptionTimeLimit;
        if (plan_.options.history)
            word += kOptionHistory;
    }
    const bool plainKeyAmongDestinations =
        std::any_of(plan_.destinations.begin(), plan_.destinations.end(),
                    [](const std::string& keyFile) { return !isAuthenticatedKey(keyFile); });
    if (kind_ == kKindSilent || (kind_ != kKindProtectedFolder && plainKeyAmongDestinations))
        word += kOptionAttachSender;
    return word;
}

bool EncryptBatch::historyCanBeRecorded() const
{
    const std::string own = BatchFiles::baseName(context_.keys.selfAuthKeyFile);
    return !own.empty() && std::any_of(plan_.destinations.begin(), plan_.destinations.end(),
                                       [&](const std::string& keyFile) { return BatchFiles::baseName(keyFile) == own; });
}

std::vector<IFileCrypto::HistoryName> EncryptBatch::historyNames() const
{
    // The creator's entry comes first: the creation event names index 0 and
    // every later event names the index of the actor's recipient record.
    std::vector<IFileCrypto::HistoryName> names;
    for (const std::string& keyFile : plan_.destinations) {
        IFileCrypto::HistoryName name;
        if (BatchFiles::baseName(keyFile) == BatchFiles::baseName(context_.keys.selfAuthKeyFile)) {
            name = {context_.keys.userName, context_.keys.mail};
        } else if (context_.directory) {
            if (const auto entry = context_.directory->lookup(keyFile))
                name = {entry->userName, entry->mail};
        }
        names.push_back(name);
    }
    return names;
}

void EncryptBatch::setUpHistory()
{
    if (historyCanBeRecorded()) {
        // The own key goes first so that record 0 is the creator's.
        const std::string own = BatchFiles::baseName(context_.keys.selfAuthKeyFile);
        std::stable_partition(plan_.destinations.begin(), plan_.destinations.end(),
                              [&](const std::string& keyFile) { return BatchFiles::baseName(keyFile) == own; });
        context_.crypto->setRecipients(plan_.destinations);
    }
    context_.crypto->setHistoryNames(historyNames());
}

bool EncryptBatch::encryptAll(EncryptOutcome& outcome)
{
    if (!context_.crypto)
        return false;
    IFileCrypto& crypto = *context_.crypto;
    crypto.setRecipients(plan_.destinations);
    crypto.setOptionWord(optionWord_);
    if (!limitedByDeadline())
        crypto.setTimeLimit(plan_.options.timeLimitOn ? plan_.options.timeLimit : TimeLimitSetting{});
    if ((optionWord_ & kOptionHistory) && !isAutomatic(kind_))
        setUpHistory();

    auto& files = context_.work.files();
    const size_t count = files.size();
    expectFiles(files);
    std::vector<std::string> made;
    int position = 0;
    for (size_t i = count; i-- > 0;) {
        if (context_.work.aborted()) {
            // Stop: the files not reached are not containers.
            files.erase(files.begin(), files.begin() + static_cast<long>(i) + 1);
            break;
        }
        ++position;
        const std::string path = files[i];
        if (kind_ == kKindProtectedFolder)
            context_.progressView().progressText(
                context_.messenger.format(Msg::ProtectedFolderEncrypting, position, static_cast<long long>(count)));
        else
            context_.progressView().progressText(
                context_.messenger.format(Msg::EncryptingFileOf, static_cast<long long>(count), position));
        if (BatchFiles::isOtherThanRegularFile(path)) {
            context_.messenger.show(Msg::NotRegularFile, MsgIcon::Stop, path);
            goesOnWithout(files, i, outcome);
            continue;
        }
        if (!BatchFiles::canOpenForReading(path)) {
            context_.messenger.show(Msg::EditedByAnotherProgram, MsgIcon::Stop, path);
            goesOnWithout(files, i, outcome);
            continue;
        }
        if (showsProgressBar(kind_))
            context_.messenger.status(Msg::EncryptingPath, path);
        if (isExcluded(path, count)) {
            files.erase(files.begin() + static_cast<long>(i));
            continue;
        }
        const std::string output = outputPathFor(path, plan_.outputFolder);
        const Overwrite answer = confirmOverwrite(output, count);
        if (answer == Overwrite::Stop) {
            files.erase(files.begin(), files.begin() + static_cast<long>(i) + 1);
            break;
        }
        if (answer == Overwrite::Skip) {
            files.erase(files.begin() + static_cast<long>(i));
            continue;
        }
        if (!encryptOne(path, output)) {
            if (goesOnWithout(files, i, outcome))
                continue;
            // The containers made before the failure are there and are reported.
            outcome.containers.assign(made.rbegin(), made.rend());
            return false;
        }
        made.push_back(output);
        if (showsProgressBar(kind_))
            context_.progressView().step();
    }
    outcome.containers.assign(made.rbegin(), made.rend());
    return true;
}

bool EncryptBatch::goesOnWithout(std::vector<std::string>& files, size_t index, EncryptOutcome& outcome)
{
    // Every file of the protected folder that can be encrypted is, whatever
    // befell another; a user's batch ends at the first failure.
    if (kind_ == kKindProtectedFolder)
        outcome.notEncrypted.push_back(files[index]);
    files.erase(files.begin() + static_cast<long>(index));
    return kind_ == kKindProtectedFolder;
}

void EncryptBatch::expectFiles(const std::vector<std::string>& files)
{
    std::vector<IFileCrypto::PlannedFile> planned;
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
        const std::string extension = BatchFiles::upperExtension(*it);
        if (extension != "KLX" && extension != "KPRI")
            planned.push_back({*it, outputPathFor(*it, plan_.outputFolder)});
    }
    context_.crypto->expectEncryptions(planned, kind_, kind_ == kKindProtectedFolder ? 1 : 0);
}

bool EncryptBatch::isExcluded(const std::string& path, size_t fileCount)
{
    const std::string extension = BatchFiles::upperExtension(path);
    if (extension != "KLX" && extension != "KPRI")
        return false;
    if (kind_ == kKindProtectedFolder)
        return true;
    const std::string name = BatchFiles::baseName(path);
    if (extension == "KPRI") {
        context_.messenger.showText(name + context_.messenger.text(Msg::IsPrivateKeyFile), MsgIcon::Exclamation);
        return true;
    }
    const std::string text = name + context_.messenger.text(Msg::AlreadyEncrypted);
    if (fileCount > 1)
        alreadyEncryptedNotice_->show(context_.messenger.interaction(), text);
    else
        context_.messenger.showText(text, MsgIcon::Stop);
    return true;
}

EncryptBatch::Overwrite EncryptBatch::confirmOverwrite(const std::string& outputPath, size_t fileCount)
{
    if (!BatchFiles::exists(outputPath))
        return Overwrite::Write;
    if (BatchFiles::isReadOnly(outputPath) || BatchFiles::isDirectory(outputPath)) {
        context_.messenger.show(Msg::ReadOnlyCannotOverwrite, MsgIcon::Exclamation, outputPath);
        return Overwrite::Skip;
    }
    // The automatic kinds and a batch without questions replace their own earlier output.
    if (overwriteAll_ || kind_ == kKindProtectedFolder || kind_ == kKindSilent || !interactive_)
        return Overwrite::Write;
    const std::string text = BatchFiles::baseName(outputPath) + context_.messenger.text(Msg::OverwriteEncryptQuestion);
    if (fileCount == 1)
        return context_.messenger.askYesNoText(text, MsgIcon::Question) ? Overwrite::Write : Overwrite::Skip;
    switch (CContinueConfirmDialog::forOverwrite(context_.messenger.table(), text)
                .DoModal(context_.messenger.interaction())) {
    case CContinueConfirmDialog::kFirst: return Overwrite::Write;
    case CContinueConfirmDialog::kSecond: overwriteAll_ = true; return Overwrite::Write;
    case CContinueConfirmDialog::kThird: return Overwrite::Skip;
    default: return Overwrite::Stop;
    }
}

bool EncryptBatch::limitedByDeadline() const
{
    return plan_.options.timeLimitOn && plan_.options.deadline.has_value();
}

bool EncryptBatch::encryptOne(const std::string& plainPath, const std::string& outputPath)
{
    IFileCrypto& crypto = *context_.crypto;
    crypto.resetContentKey();
    if (limitedByDeadline()) {
        const int64_t left = std::max<int64_t>(1, *plan_.options.deadline - Clock::unixNow());
        crypto.setTimeLimit({static_cast<uint32_t>(std::min<int64_t>(left, UINT32_MAX)), false});
    }
    // The container takes its name only when complete; an older one stays until then.
    const int keySource = kind_ == kKindProtectedFolder ? 1 : 0;
    staleOutputs_.before(outputPath);
    OutputGuard guard(outputPath, 0644, crypto.takePreparedContainer(plainPath, outputPath, keySource));
    if (!guard.ready()) {
        context_.messenger.show(Msg::OutputFileCannotOpen, MsgIcon::Stop);
        return false;
    }
    if (!crypto.encryptBody(plainPath, guard.path(), keySource))
        return false;
    if ((optionWord_ & kOptionHistory) && !isAutomatic(kind_) && !historyCanBeRecorded()) {
        const bool goOn = !interactive_ || context_.messenger.askYesNo(Msg::CreatorNotInDestinations, MsgIcon::Question);
        if (!goOn) {
            if (context_.secureDelete)
                context_.secureDelete(guard.path());
            crypto.resetContentKey();
            return false;
        }
        optionWord_ &= ~static_cast<uint32_t>(kOptionHistory);
        crypto.setOptionWord(optionWord_);
    }
    const bool tailWritten = crypto.writeContainerTail(guard.path(), plainPath, kind_) != 0;
    crypto.resetContentKey();
    if (!tailWritten)
        return false;
    if (guard.commit(crypto.outputFlushed(), folderFlushes_))
        return true;
    context_.messenger.show(Msg::ContainerWriteFailed, MsgIcon::Stop, outputPath);
    return false;
}

bool EncryptBatch::deletePlainFilesWanted() const
{
    switch (kind_) {
    case kKindChooseDestinations:
    case kKindFromDestinationList: return plan_.options.deletePlainFiles;
    case kKindForOneself: return context_.settings.deleteCheck1;
    case kKindMainWindow:
        return plan_.optionsGiven ? plan_.options.deletePlainFiles : context_.settings.deleteCheck1;
    case kKindProtectedFolder: return true;
    default: return false;
    }
}

void EncryptBatch::deletePlainFiles(EncryptOutcome& outcome)
{
    if (!deletePlainFilesWanted())
        return;
    const auto& files = context_.work.files();
    if (kind_ != kKindProtectedFolder && interactive_ &&
        !context_.messenger.askYesNo(Msg::DeletePlainFilesQuestion, MsgIcon::Question,
                                     static_cast<long long>(files.size())))
        return;
    for (size_t i = 0; i < files.size(); ++i) {
        // Only a plain file whose container is complete on disk is destroyed.
        const bool containerThere = i < outcome.containers.size() && BatchFiles::isRegularFile(outcome.containers[i]);
        if (containerThere && context_.destroy(files[i]) != 0) {
            outcome.deletedPlainFiles.push_back(files[i]);
        } else {
            outcome.deletionFailures.push_back(files[i]);
            context_.messenger.show(Msg::DeletionFailed, MsgIcon::Exclamation, files[i]);
        }
    }
}

void EncryptBatch::composeMail(EncryptOutcome& outcome)
{
    if (!plan_.mail || !context_.mailer)
        return;
    MailMessage mail;
    if (context_.directory) {
        for (const std::string& keyFile : plan_.destinations) {
            const auto entry = context_.directory->lookup(keyFile);
            if (entry && !entry->mail.empty() &&
                std::find(mail.recipients.begin(), mail.recipients.end(), entry->mail) == mail.recipients.end())
                mail.recipients.push_back(entry->mail);
        }
    }
    if (mail.recipients.empty())
        return;
    mail.subject = context_.messenger.text(Msg::MailSubjectForwarding);
    mail.body = context_.messenger.text(Msg::MailBodyFilesAttached);
    for (const std::string& container : outcome.containers) {
        mail.body += BatchFiles::baseName(container) + "\n";
        mail.attachments.push_back(container);
    }
    outcome.mailComposed = context_.mailer->compose(mail);
}

void EncryptBatch::endEarly()
{
    context_.work.clear();
    context_.work.clearFolders();
    context_.studio.clear();
    if (interactive_)
        context_.progressView().closeWait();
    finish();
}

void EncryptBatch::finish()
{
    if (showsProgressBar(kind_))
        context_.progressView().reset();
    if (!interactive_)
        return;
    context_.progressView().refresh();
    context_.messenger.interaction().status(std::string());
    context_.studio.clear();
}

} // namespace mvx

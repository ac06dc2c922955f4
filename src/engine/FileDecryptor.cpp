#include "engine/FileDecryptor.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "engine/CArchiveHistoryMan.h"
#include "engine/IdentityBlock.h"
#include "engine/ISenderDirectory.h"
#include "engine/RecordTimes.h"
#include "platform/Clock.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"
#include "platform/SecureDelete.h"
#include "platform/TextFields.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

int refusalSlot(ContainerStatus status, int purpose)
{
    switch (status) {
    case ContainerStatus::NewerVersion: return Msg::CreatedByNewerVersion;
    case ContainerStatus::OldHistoryLayout: return Msg::OlderHistoryLayoutRefused;
    case ContainerStatus::KeyFileMissing: return Msg::KeyFileNotFoundMakeKeySet;
    case ContainerStatus::NotAuthorized:
    case ContainerStatus::HeadNotOpened:
        if (purpose == FileDecryptor::kPurposeHistory)
            return Msg::NotAuthorizedToShowHistory;
        if (purpose == FileDecryptor::kPurposeForward)
            return Msg::NotAuthorizedToForward;
        return Msg::NotAuthorizedToDecrypt;
    default: return Msg::NotKlxOrBroken;
    }
}

void setModificationTime(const std::string& path, const SystemTime& time)
{
    if (!time.isSet())
        return;
    struct timespec times[2];
    times[0].tv_sec = times[1].tv_sec = static_cast<time_t>(time.toUnix());
    times[0].tv_nsec = times[1].tv_nsec = static_cast<long>(time.milliseconds) * 1000000L;
    ::utimensat(AT_FDCWD, path.c_str(), times, 0);
}

} // namespace

FileDecryptor::FileDecryptor(CMessenger& messenger, std::string ownPublicKeyFile, std::string ownPrivateKeyFile)
    : messenger_(messenger), ownPublicKeyFile_(std::move(ownPublicKeyFile)),
      ownPrivateKeyFile_(std::move(ownPrivateKeyFile))
{
}

int FileDecryptor::fail(int fd)
{
    if (fd >= 0)
        ::close(fd);
    contentKeySet_ = false;
    return 0;
}

int FileDecryptor::openContainer(const std::string& containerPath, std::string& plainFileName, int purpose,
                                 bool writeBack, const ContainerLayout* openedAhead)
{
    contentKeySet_ = false;
    layout_ = ContainerLayout();
    identifiedName_.clear();
    identifiedMail_.clear();
    int fd = ::open(containerPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        messenger_.show(Msg::InputFileCannotOpen, MsgIcon::Stop);
        return 0;
    }
    ContainerStatus status = ContainerStatus::Ok;
    if (openedAhead)
        layout_ = *openedAhead;
    else
        status = ContainerReader::open(fd, *keyCache_, ownPublicKeyFile_, ownPrivateKeyFile_, layout_);
    if (status != ContainerStatus::Ok) {
        const MsgIcon icon = status == ContainerStatus::KeyFileMissing ? MsgIcon::None : MsgIcon::Stop;
        messenger_.show(refusalSlot(status, purpose), icon, containerPath);
        return fail(fd);
    }
    if (!verifySender())
        return fail(fd);
    const int timeResult = applyTimeRules(fd, containerPath, writeBack);
    if (timeResult <= 0) {
        if (timeResult == 0)
            return fail(fd);
        contentKeySet_ = false;
        return 0;  // expired: closed and destroyed
    }
    ::close(fd);
    const int senderStatus = identifySender();
    engine_.setWordCount(KeystreamEngine::kWords);
    engine_.initialise(layout_.contentKey);
    contentKeySet_ = true;
    plainFileName = layout_.fileName;
    return 2 + senderStatus;
}

bool FileDecryptor::verifySender()
{
    const auto ownKey = keyCache_->keyFile(ownPrivateKeyFile_);
    if (!ownKey || !ownKey->ownerIdentity) {
        messenger_.show(Msg::NotOpenPrivateKey, MsgIcon::None, ownPrivateKeyFile_);
        return false;
    }
    const auto& own = *ownKey->ownerIdentity;
    const uint8_t* record = layout_.ownRecord();
    const uint8_t* recipientSlot = record + RecordOffset::kRecipientIdentity;
    const bool madeForUsByAuthenticatedKey = std::equal(own.begin(), own.end(), recipientSlot);
    const bool madeByUs = std::equal(own.begin(), own.end(), record + RecordOffset::kSenderIdentity);
    const bool plainKeyWithAttachment =
        layout_.trailer.hasFlag(ContainerTrailer::kFlagSenderAttachment) &&
        std::all_of(recipientSlot, recipientSlot + IdentityBlock::kHashSize, [](uint8_t b) { return b == 0; });
    if (madeForUsByAuthenticatedKey || madeByUs || plainKeyWithAttachment)
        return true;
    messenger_.show(Msg::PossibleSpoofing, MsgIcon::Stop);
    return false;
}

int FileDecryptor::applyTimeRules(int fd, const std::string& containerPath, bool writeBack)
{
    uint8_t* record = layout_.ownRecord();
    const RecordTimes times(record);
    const uint32_t limit = layout_.trailer.timeLimitApplies() ? getLe32(record + RecordOffset::kTimeLimit) : 0;
    const SystemTime now = Clock::now();
    // Times no clock can have given are damage, not an expired limit: nothing is destroyed.
    if (!times.plausible(now.toUnix())) {
        messenger_.show(Msg::TimeFieldsDamaged, MsgIcon::Stop, containerPath);
        return 0;
    }
    encryptionTime_ = times.encryption();
    const bool firstDecryption = times.firstDecryption();
    if (firstDecryption)
        now.toBytes(record + RecordOffset::kLimitStart);
    const int64_t elapsed = now.toUnix() - times.intervalStart();
    if (elapsed / 60 < 0) {
        messenger_.show(Msg::CheckEncryptionPcTime, MsgIcon::None);
        return 0;
    }
    const uint32_t format = getLe32(record + RecordOffset::kFormatWord);
    if (format != RecipientRecordTable::kFormatWord && format != RecipientRecordTable::kOlderFormatWord) {
        messenger_.show(Msg::CreatedByNewerVersion, MsgIcon::Stop);
        return 0;
    }
    if (limit != 0 && !firstDecryption && elapsed >= static_cast<int64_t>(limit)) {
        messenger_.show(Msg::TimeLimitExpired, MsgIcon::Stop);
        ::close(fd);
        expireContainer(containerPath);
        return -1;
    }
    putLe32(record + RecordOffset::kDecryptionCount, getLe32(record + RecordOffset::kDecryptionCount) + 1);
    if (limit != 0 && writeBack && !writeBackCount(fd, firstDecryption)) {
        messenger_.show(Msg::ContainerUpdateFailed, MsgIcon::Stop, containerPath);
        return 0;
    }
    return 1;
}

bool FileDecryptor::writeBackCount(int fd, bool firstDecryption)
{
    const size_t index = static_cast<size_t>(layout_.ownIndex);
    const size_t from = firstDecryption ? RecordOffset::kLimitStart : RecordOffset::kDecryptionCount;
    const size_t length = RecordOffset::kSenderTag - from;
    layout_.records.transformTail(index, layout_.contentKey);
    const uint64_t at = layout_.recordAreaOffset + index * RecipientRecordTable::kRecordSize + from;
    const bool written = pwriteFully(fd, layout_.ownRecord() + from, length, at) && ::fsync(fd) == 0;
    layout_.records.transformTail(index, layout_.contentKey);
    return written;
}

int FileDecryptor::identifySender()
{
    if (!senders_)
        return ISenderDirectory::kUnknown;
    const uint8_t* record = layout_.ownRecord();
    const auto sender =
        senders_->identify(getLe32(record + RecordOffset::kSenderTag), record + RecordOffset::kSenderIdentity);
    if (sender.status != ISenderDirectory::kUnknown) {
        identifiedName_ = sender.userName;
        identifiedMail_ = sender.mail;
    }
    if (sender.status != ISenderDirectory::kRenew)
        return sender.status;
    switch (senders_->checkBeforeRenewal(sender)) {
    case 1: messenger_.show(Msg::PrivateKeyWrong, MsgIcon::Stop); break;
    case 2: messenger_.show(Msg::PartnerPublicKeyWrong, MsgIcon::Stop); break;
    case 3: messenger_.show(Msg::OwnPublicKeyWrong, MsgIcon::Stop); break;
    default: break;
    }
    // "No" keeps the entry as it is.
    if (messenger_.askYesNo(Msg::RenewKeyChainList, MsgIcon::Information, sender.userName, sender.mail))
        senders_->renew(sender);
    return sender.status;
}

int FileDecryptor::decryptBody(const std::string& containerPath, const std::string& outputPath)
{
    if (!contentKeySet_)
        return 0;
    FdGuard in(::open(containerPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) {
        messenger_.show(Msg::InputFileCannotOpen, MsgIcon::Stop);
        return 0;
    }
    FdGuard out(::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!out.valid()) {
        messenger_.show(Msg::OutputFileCannotOpen, MsgIcon::Stop);
        return 0;
    }
    const bool ok = decipherToOutput(in.get(), out.get()) && out.close();
    contentKeySet_ = false;
    if (!ok) {
        ::unlink(outputPath.c_str());
        if (!engine_.stopped())
            messenger_.show(Msg::PlainFileWriteFailed, MsgIcon::Stop, outputPath);
        return 0;
    }
    return finishOutput(containerPath, outputPath);
}

int FileDecryptor::adoptBody(const std::string& containerPath, const std::string& outputPath, Prepared& prepared)
{
    if (!contentKeySet_)
        return 0;
    contentKeySet_ = false;
    if (prepared.bodyPath != outputPath && ::rename(prepared.bodyPath.c_str(), outputPath.c_str()) != 0) {
        messenger_.show(Msg::PlainFileWriteFailed, MsgIcon::Stop, outputPath);
        return 0;
    }
    prepared.bodyPath.clear();
    senderName_ = prepared.senderName;
    senderMail_ = prepared.senderMail;
    return finishOutput(containerPath, outputPath);
}

int FileDecryptor::finishOutput(const std::string& containerPath, const std::string& outputPath)
{
    setModificationTime(outputPath, encryptionTime_);
    if (!recordDecryption(containerPath)) {
        ::unlink(outputPath.c_str());
        messenger_.show(Msg::ContainerUpdateFailed, MsgIcon::Stop, containerPath);
        return 0;
    }
    return 1;
}

bool FileDecryptor::prepare(const std::string& containerPath, const std::string& bodyPath, Prepared& prepared)
{
    PreparingBody body;
    switch (startPrepare(containerPath, bodyPath, prepared, body)) {
    case kPrepareNoBody: return true;
    case kPrepareBody:
        return finishPrepare(prepared, body, engine_.transformFilePart(body.in.get(), layout_.bodyLength, body.out.get()),
                             true);
    default: return false;
    }
}

int FileDecryptor::startPrepare(const std::string& containerPath, const std::string& bodyPath, Prepared& prepared,
                                PreparingBody& body)
{
    contentKeySet_ = false;
    body.in.reset(::open(containerPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!body.in.valid() || ContainerReader::open(body.in.get(), *keyCache_, ownPublicKeyFile_, ownPrivateKeyFile_,
                                                  prepared.layout) != ContainerStatus::Ok)
        return kPrepareFailed;
    // A container with a time limit may turn out expired: its plain text is
    // written only once the batch has applied the limit.
    const ContainerLayout& layout = prepared.layout;
    if (layout.trailer.timeLimitApplies() && getLe32(layout.ownRecord() + RecordOffset::kTimeLimit) != 0)
        return kPrepareNoBody;
    layout_ = prepared.layout;
    engine_.setWordCount(KeystreamEngine::kWords);
    engine_.initialise(layout_.contentKey);
    senderName_.clear();
    senderMail_.clear();
    body.path = bodyPath;
    body.out.reset(::open(bodyPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
    if (!body.out.valid()) {
        engine_.clear(false);
        return kPrepareFailed;
    }
    return kPrepareBody;
}

bool FileDecryptor::finishPrepare(Prepared& prepared, PreparingBody& body, bool deciphered, bool flush)
{
    const bool written = deciphered && readSenderNames(body.in.get()) &&
                         (!flush || ::fdatasync(body.out.get()) == 0) && body.out.close();
    engine_.clear(false);
    body.in.close();
    body.out.close();
    if (!written) {
        ::unlink(body.path.c_str());
        return false;
    }
    prepared.bodyPath = body.path;
    prepared.flushed = flush;
    prepared.senderName = senderName_;
    prepared.senderMail = senderMail_;
    return true;
}

bool FileDecryptor::recordDecryption(const std::string& containerPath)
{
    const ContainerTrailer& trailer = layout_.trailer;
    if (!recordsDecryption_ || !trailer.hasFlag(ContainerTrailer::kFlagHistory))
        return true;
    // A history said to cover the own record is damaged: it is left alone.
    if (static_cast<uint64_t>(layout_.ownIndex) + trailer.historyUnits() >= trailer.unitCount())
        return true;
    CArchiveHistoryMan history;
    history.create(containerPath);
    history.setTrailerAndRecord(trailer.bytes.data(), layout_.ownRecord());
    if (history.read(containerPath) != CArchiveHistoryMan::kReadOk)
        return true;
    history.addEvent(static_cast<uint32_t>(layout_.ownIndex), CArchiveHistoryMan::kKindDecrypted);
    return history.rewrite() == CArchiveHistoryMan::kRewritten;
}

bool FileDecryptor::decipherToOutput(int in, int out)
{
    senderName_.clear();
    senderMail_.clear();
    // Only the body is written: without the attachment it ends where the records begin.
    return engine_.transformFilePart(in, layout_.bodyLength, out) && readSenderNames(in);
}

bool FileDecryptor::readSenderNames(int in)
{
    if (!layout_.trailer.hasFlag(ContainerTrailer::kFlagSenderAttachment))
        return true;
    uint8_t names[ContainerLayout::kSenderNamesSize];
    if (readFully(in, names, sizeof names) != static_cast<long long>(sizeof names))
        return false;
    engine_.transformBuffer(names, sizeof names, names);
    senderName_ = TextFields::get(names, 20);
    senderMail_ = TextFields::get(names + 20, 60);
    return true;
}

int FileDecryptor::expireContainer(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    return SecureDelete(path);
}

} // namespace mvx

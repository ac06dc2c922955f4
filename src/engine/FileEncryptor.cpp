#include "engine/FileEncryptor.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "engine/CryptoErrors.h"
#include "engine/CSHA.h"
#include "engine/IdentityBlock.h"
#include "engine/MakerKey.h"
#include "engine/RsaKeyWrapper.h"
#include "engine/SenderTag.h"
#include "platform/Clock.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"
#include "platform/TextFields.h"

#include <cstdio>
#include <cstring>
#include <span>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

bool endsWithLower(const std::string& path, const std::string& suffix)
{
    if (path.size() < suffix.size())
        return false;
    for (size_t i = 0; i < suffix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(path[path.size() - suffix.size() + i])) != suffix[i])
            return false;
    return true;
}

std::string baseName(const std::string& path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

FileEncryptor::FileEncryptor(CMessenger& messenger) : messenger_(messenger) {}

void FileEncryptor::resetContentKey()
{
    contentKeySet_ = false;
    if (engine_.isKeyed())
        engine_.clear(false);
}

std::array<uint32_t, 8> FileEncryptor::deriveContentKey(const SystemTime& now, int32_t tickCount,
                                                        const std::string& plainPath,
                                                        const uint8_t* keyDerivationText)
{
    char timeText[64];
    std::snprintf(timeText, sizeof timeText, "%2d%2d%3d%d", now.minute, now.second, now.milliseconds, tickCount);
    CSHA sha;
    sha.addData(timeText, static_cast<long long>(std::strlen(timeText)));
    sha.addData(plainPath.data(), static_cast<long long>(plainPath.size()));
    sha.addData(keyDerivationText, kKeyDerivationTextSize);
    uint8_t digest[CSHA::kDigestSize];
    sha.finalDigest(digest);
    std::array<uint32_t, 8> words{};
    for (int i = 0; i < 8; ++i)
        words[i] = getLe32(digest + 4 * i);
    return words;
}

std::optional<std::array<uint8_t, FileEncryptor::kKeyDerivationTextSize>> FileEncryptor::keyDerivationText(int keySource)
{
    std::shared_ptr<const KeyMaterialCache::KeyFile> own;
    if (!(keySource == 1 && cached_))
        own = keyCache_->keyFile(sender_.privateKeyFile);
    const std::span<const uint8_t> file = keySource == 1 && cached_ ? std::span<const uint8_t>(cached_->privateKeyFile)
                                          : own                    ? std::span<const uint8_t>(own->bytes)
                                                                   : std::span<const uint8_t>();
    if (file.size() < kKeyDerivationOffset + kKeyDerivationTextSize) {
        messenger_.show(Msg::NotOpenPrivateKey, MsgIcon::Stop, sender_.privateKeyFile);
        return std::nullopt;
    }
    std::array<uint8_t, kKeyDerivationTextSize> text{};
    for (size_t i = 0; i < text.size(); ++i) {
        const uint8_t b = file[kKeyDerivationOffset + i];
        text[i] = b == 0 ? 1 : b;
    }
    return text;
}

int FileEncryptor::encryptBody(const std::string& plainPath, const std::string& outputPath, int keySource)
{
    OpenBody body;
    if (!openBody(plainPath, outputPath, keySource, body))
        return 0;
    return closeBody(outputPath, body, engine_.transformFile(body.in.get(), body.out.get()));
}

int FileEncryptor::openBody(const std::string& plainPath, const std::string& outputPath, int keySource, OpenBody& body)
{
    if (!contentKeySet_) {
        const SystemTime now = Clock::now();
        const int32_t tick = Clock::tickCount();
        auto text = keyDerivationText(keySource);
        if (!text)
            return 0;
        const auto key = deriveContentKey(now, tick, plainPath, text->data());
        engine_.setWordCount(KeystreamEngine::kWords);
        engine_.initialise(key.data());
    }
    body.in.reset(::open(plainPath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!body.in.valid()) {
        messenger_.show(Msg::InputFileCannotOpen, MsgIcon::Stop);
        return 0;
    }
    if (!bodyLengthFits(body.in.get())) {
        messenger_.show(Msg::BodyTooLargeForAttachment, MsgIcon::Stop, plainPath);
        return 0;
    }
    body.out.reset(::open(outputPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!body.out.valid()) {
        messenger_.show(Msg::OutputFileCannotOpen, MsgIcon::Stop);
        return 0;
    }
    return 1;
}

int FileEncryptor::closeBody(const std::string& outputPath, OpenBody& body, bool transformed)
{
    body.in.close();
    if (!transformed || !body.out.close())
        return failWrite(outputPath);
    return 1;
}

bool FileEncryptor::bodyLengthFits(int plainFd) const
{
    // Only a container with the sender attachment needs the 32-bit body length.
    if (!ContainerTrailer::forOptionWord(optionWord_).hasFlag(ContainerTrailer::kFlagSenderAttachment))
        return true;
    struct stat st {};
    return ::fstat(plainFd, &st) == 0 && static_cast<uint64_t>(st.st_size) <= 0xFFFFFFFFull;
}

int FileEncryptor::failWrite(const std::string& outputPath)
{
    ::unlink(outputPath.c_str());
    if (engine_.stopped())
        return 0;
    messenger_.show(Msg::ContainerWriteFailed, MsgIcon::Stop, outputPath);
    return 0;
}

std::string FileEncryptor::recordFileName(const std::string& plainPath)
{
    const std::string name = baseName(plainPath);
    if (name.size() <= RecipientRecordTable::kFileNameSize)
        return name;
    const size_t dot = name.find_last_of('.');
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    if (extension.size() >= RecipientRecordTable::kFileNameSize)
        return TextFields::truncate(name, RecipientRecordTable::kFileNameSize);
    const std::string stem = name.substr(0, name.size() - extension.size());
    return TextFields::truncate(stem, RecipientRecordTable::kFileNameSize - extension.size()) + extension;
}

size_t FileEncryptor::recipientCount(int mode) const
{
    return mode == kKindSilent || mode == kKindProtectedFolder ? 1 : recipients_.size();
}

bool FileEncryptor::fillRecipientIdentity(size_t index, int mode, Record& record)
{
    uint8_t* slot = record.data() + RecordOffset::kRecipientIdentity;
    std::memset(slot, 0, IdentityBlock::kHashSize);
    if (mode == kKindSilent)
        return true;

    std::optional<std::vector<uint8_t>> plain;
    if (mode == kKindProtectedFolder) {
        if (!cached_)
            return false;
        plain = openSelfAuthRecord();
    } else {
        const std::string& keyFile = recipients_[index];
        const auto file = keyCache_->keyFile(keyFile);
        if (!file) {
            messenger_.show(Msg::AuthPublicKeyNotFound, MsgIcon::Stop);
            return false;
        }
        if (!endsWithLower(keyFile, "-auth.kpub"))
            return true;
        if (KeyMaterialCache::sealedRecordOf(file->bytes).empty()) {
            messenger_.show(Msg::PublicKeyNotAuthenticated, MsgIcon::Stop);
            return false;
        }
        plain = keyCache_->openedSeal(keyFile, sender_.privateKeyFile);
    }
    if (!plain || plain->size() < IdentityBlock::kHashSize) {
        messenger_.show(Msg::UseRightPublicKey, MsgIcon::Stop);
        return false;
    }
    std::memcpy(slot, plain->data(), IdentityBlock::kHashSize);
    std::fill(plain->begin(), plain->end(), 0);
    return true;
}

std::optional<std::vector<uint8_t>> FileEncryptor::openSelfAuthRecord() const
{
    const std::vector<uint8_t>& sealed = cached_->selfAuthRecord;
    RsaKeyWrapper rsa;
    std::vector<uint8_t> plain;
    if (sealed.size() > RsaKeyWrapper::kMaxBlock ||
        !rsa.loadFromMemory(RsaKeyWrapper::blobFromKeyFileBytes(cached_->privateKeyFile)) ||
        !rsa.decrypt(sealed.data(), sealed.size(), plain))
        return std::nullopt;
    return plain;
}

bool FileEncryptor::fillSenderIdentity(int mode, Record& record)
{
    std::optional<IdentityBlock::Hash> hash;
    if (mode == kKindProtectedFolder && cached_) {
        if (auto identity = IdentityBlock::fromPrivateKeyFile(cached_->privateKeyFile))
            hash = identity->hash();
    } else if (auto own = keyCache_->keyFile(sender_.privateKeyFile)) {
        hash = own->ownerIdentity;
    }
    if (!hash) {
        messenger_.show(Msg::NotOpenPrivateKey, MsgIcon::Stop, sender_.privateKeyFile);
        return false;
    }
    std::memcpy(record.data() + RecordOffset::kSenderIdentity, hash->data(), hash->size());
    return true;
}

bool FileEncryptor::fillSenderTag(int mode, Record& record)
{
    uint32_t tag = 0;
    if (mode == kKindSilent || mode == kKindProtectedFolder) {
        tag = static_cast<uint32_t>(sender_.ownKeyFingerprint);
    } else {
        const auto own = keyCache_->keyFile(sender_.publicKeyFile);
        if (!own || own->blob.empty()) {
            messenger_.show(Msg::PublicKeyFileNotFound, MsgIcon::Stop);
            return false;
        }
        tag = SenderTag::ofBlob(own->blob.data(), own->blob.size());
    }
    putLe32(record.data() + RecordOffset::kSenderTag, tag);
    return true;
}

bool FileEncryptor::buildRecord(size_t index, int mode, const uint32_t* contentKey, const std::string& fileName,
                                const SystemTime& now, Record& record)
{
    record.fill(0);
    for (int w = 0; w < 8; ++w)
        putLe32(record.data() + RecordOffset::kContentKey + 4 * w, contentKey[w]);
    TextFields::put(record.data() + RecordOffset::kFileName, RecipientRecordTable::kFileNameSize, fileName);
    putLe32(record.data() + RecordOffset::kFormatWord, RecipientRecordTable::kFormatWord);
    if (!fillRecipientIdentity(index, mode, record))
        return false;
    const bool limited = mode <= kKindMainWindow;
    now.toBytes(record.data() + RecordOffset::kEncryptionTime);
    putLe32(record.data() + RecordOffset::kTimeLimit, limited ? timeLimit_.seconds : 0);
    if (!fillSenderIdentity(mode, record))
        return false;
    if (limited && timeLimit_.seconds != 0 && timeLimit_.fromFirstDecryption)
        now.toBytes(record.data() + RecordOffset::kLimitStart);
    return fillSenderTag(mode, record);
}

bool FileEncryptor::sealRecord(size_t index, int mode)
{
    if (mode == kKindSilent) {
        return table_.sealHead(index, RsaKeyWrapper::blobFromKeyFileBytes(makerPublicKeyFile())) == 1;
    }
    if (mode == kKindProtectedFolder)
        return cached_ && table_.sealHead(index, cached_->selfAuthPublicBlob) == 1;
    const auto recipient = keyCache_->keyFile(recipients_[index]);
    if (!recipient) {
        CryptoErrors::report("cannot open key file " + recipients_[index]);
        return false;
    }
    if (!recipient->key) {
        CryptoErrors::report("bad key blob");
        return false;
    }
    return table_.sealHead(index, recipient->blob, recipient->key.get()) == 1;
}

int FileEncryptor::writeContainerTail(const std::string& outputPath, const std::string& plainPath, int mode)
{
    uint32_t contentKey[8];
    engine_.copyInitialState(contentKey);
    const std::string fileName = recordFileName(plainPath);
    const size_t count = recipientCount(mode);
    if (count == 0)
        return 0;

    table_.allocate(count);
    Record firstPlain{};
    for (size_t i = 0; i < count; ++i) {
        Record record;
        if (!buildRecord(i, mode, contentKey, fileName, Clock::now(), record))
            return 0;
        table_.store(i, record.data());
        if (i == 0)
            firstPlain = record;
        if (!sealRecord(i, mode))
            return 0;
        table_.transformTail(i, contentKey);
    }

    ContainerTrailer trailer = ContainerTrailer::forOptionWord(optionWord_);
    trailer.setUnitCount(static_cast<uint32_t>(count));
    struct stat st {};
    if (::stat(outputPath.c_str(), &st) != 0)
        return failWrite(outputPath);
    const uint64_t bodyLength = static_cast<uint64_t>(st.st_size);
    if (trailer.hasFlag(ContainerTrailer::kFlagSenderAttachment) && bodyLength > 0xFFFFFFFFull) {
        ::unlink(outputPath.c_str());
        messenger_.show(Msg::BodyTooLargeForAttachment, MsgIcon::Stop, plainPath);
        return 0;
    }
    trailer.setBodyLength(static_cast<uint32_t>(bodyLength));

    FdGuard fd(::open(outputPath.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (!fd.valid())
        return failWrite(outputPath);
    if (trailer.hasFlag(ContainerTrailer::kFlagSenderAttachment) && !appendSenderAttachment(fd.get()))
        return failWrite(outputPath);
    const bool ok = appendRecordsAndTrailer(outputPath, fd.get(), trailer, firstPlain);
    std::memset(contentKey, 0, sizeof contentKey);
    firstPlain.fill(0);
    if (!ok || !fd.close())
        return failWrite(outputPath);
    return 1;
}

bool FileEncryptor::appendSenderAttachment(int fd)
{
    uint8_t names[kUserNameField + kMailField] = {};
    TextFields::put(names, kUserNameField, TextFields::truncate(sender_.userName, kUserNameField - 1));
    TextFields::put(names + kUserNameField, kMailField, TextFields::truncate(sender_.mail, kMailField - 1));
    engine_.transformBuffer(names, sizeof names, names);
    if (!writeFully(fd, names, sizeof names))
        return false;
    const auto own = keyCache_->keyFile(sender_.publicKeyFile);
    if (!own) {
        messenger_.show(Msg::PublicKeyFileNotFound, MsgIcon::Stop);
        return false;
    }
    if (own->blob.empty())
        return false;
    return writeFully(fd, own->bytes.data(), 4 + own->blob.size());
}

bool FileEncryptor::appendRecordsAndTrailer(const std::string& outputPath, int fd, ContainerTrailer& trailer,
                                            const Record& firstPlainRecord)
{
    std::vector<uint8_t> records(table_.count() * RecipientRecordTable::kRecordSize);
    table_.gather(records.data());
    if (!writeFully(fd, records.data(), records.size()))
        return false;
    if (!trailer.hasFlag(ContainerTrailer::kFlagHistory))
        return writeFully(fd, trailer.bytes.data(), trailer.bytes.size());
    CArchiveHistoryMan history;
    history.create(outputPath);
    history.setTrailerAndRecord(trailer.bytes.data(), firstPlainRecord.data());
    if (!historyNames_.empty())
        history.setNames(historyNames_);
    return history.appendAtCreation(outputPath) == 1;
}

} // namespace mvx

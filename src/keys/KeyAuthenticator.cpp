#include "keys/KeyAuthenticator.h"

#include "app/Msg.h"
#include "engine/Crc64.h"
#include "engine/IdentityBlock.h"
#include "engine/RsaKeyWrapper.h"
#include "keys/AuthRecord.h"
#include "keys/KeyFileNames.h"
#include "keys/KeyFileStore.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"

namespace mvx {

namespace {

uint64_t fingerprintOf(const std::vector<uint8_t>& blob) { return keyFingerprint(blob.data(), blob.size()); }

// Every folder of the tree below (and including) folder.
std::vector<std::string> foldersBelow(const std::string& folder)
{
    std::vector<std::string> folders;
    if (!FileAttributes::isDirectory(folder))
        return folders;
    folders.push_back(KeyFileNames::withTrailingSlash(folder));
    for (size_t next = 0; next < folders.size(); ++next)
        for (const std::string& name : FileAttributes::entries(folders[next])) {
            const std::string path = folders[next] + name;
            if (FileAttributes::isDirectory(path) && !FileAttributes::isSymbolicLink(path))
                folders.push_back(path + "/");
        }
    return folders;
}

} // namespace

KeyAuthenticator::KeyAuthenticator(CMessenger& messenger, Identity identity, Dialogs dialogs)
    : messenger_(messenger), identity_(std::move(identity)), dialogs_(std::move(dialogs))
{
    identity_.keyFolder = KeyFileNames::withTrailingSlash(identity_.keyFolder);
    if (identity_.installationTag.empty())
        identity_.installationTag = IdentityBlock::installationTag();
}

std::string KeyAuthenticator::historyPath() const { return identity_.keyFolder + KeyFileNames::kAuthHistoryFile; }

std::string KeyAuthenticator::targetPathFor(const std::string& selectedPath, const std::string& ownPublicKeyPath)
{
    const std::string folder = KeyFileNames::folderOf(selectedPath);
    const std::string selectedName = KeyFileNames::fileNameOf(selectedPath);
    std::string holder;
    std::string issuer;
    if (KeyFileNames::splitAuthKeyName(selectedName, holder, issuer))
        return folder + KeyFileNames::authKeyName(issuer, holder);
    const std::string own = KeyFileNames::stemOf(KeyFileNames::fileNameOf(ownPublicKeyPath));
    return folder + KeyFileNames::authKeyName(KeyFileNames::stemOf(selectedName), own);
}

std::string KeyAuthenticator::authenticate(const std::vector<std::string>& publicKeyFiles, bool skipExpiryQuestion,
                                           bool quiet)
{
    madeThisRun_.clear();
    if (identity_.ownPublicKeyPath.empty()) {
        messenger_.show(Msg::FirstTimeCreateKeySet, MsgIcon::Stop);
        return {};
    }
    history_.load(historyPath());
    std::string last;
    if (!publicKeyFiles.empty()) {
        for (const std::string& file : publicKeyFiles) {
            bool goOn = false;
            const std::string made = authenticateOne(file, skipExpiryQuestion, quiet, goOn);
            if (!made.empty())
                last = made;
        }
        return last;
    }
    for (bool goOn = true; goOn;) {
        goOn = false;
        const std::optional<std::string> chosen = dialogs_.chooseKey ? dialogs_.chooseKey(history_) : std::nullopt;
        if (!chosen)
            break;
        const std::string made = authenticateOne(*chosen, skipExpiryQuestion, quiet, goOn);
        if (!made.empty())
            last = made;
    }
    return last;
}

std::string KeyAuthenticator::authenticateOne(const std::string& selected, bool skipExpiryQuestion, bool quiet,
                                              bool& goOn)
{
    const std::vector<uint8_t> partnerBlob = RsaKeyWrapper::readBlobFromKeyFile(selected);
    if (!FileAttributes::isRegularFile(selected)) {
        messenger_.show(Msg::PublicKeyFileNotFoundForAuth, MsgIcon::Stop);
        return {};
    }
    if (partnerBlob.empty()) {
        messenger_.show(Msg::PartnerEncryptionFailed, MsgIcon::Stop);
        return {};
    }
    if (RsaBlob::blobType(partnerBlob.data(), partnerBlob.size()) == RsaBlob::kPrivateBlobType) {
        messenger_.show(Msg::PrivateKeyNotAccepted, MsgIcon::Stop, selected);
        return {};
    }
    const uint64_t partnerFingerprint = fingerprintOf(partnerBlob);
    if (history_.containsFingerprint(partnerFingerprint) &&
        !messenger_.askYesNo(Msg::AuthenticateAgainQuestion, MsgIcon::Question))
        return {};
    if (!skipExpiryQuestion && !(dialogs_.askExpiry && dialogs_.askExpiry(limits_)))
        return {};

    const std::string target = targetPathFor(selected, identity_.ownPublicKeyPath);
    const bool targetExists = FileAttributes::exists(target);
    if (targetExists && !messenger_.askYesNo(Msg::OverwriteAuthKeyQuestion, MsgIcon::Question, target))
        return {};
    SystemTime expiry;
    if (!skipExpiryQuestion)
        limits_.expiry(expiry);

    continueWithOthers_ = false;
    const std::string made = makeAuthenticatedKey(selected, expiry, quiet, targetExists);
    goOn = continueWithOthers_;
    if (made.empty())
        return {};
    // The history keeps the fingerprint of the key actually authenticated.
    history_.append(made, partnerFingerprint, expiry);
    history_.save(historyPath());
    if (partnerBlob == RsaKeyWrapper::readBlobFromKeyFile(identity_.ownPublicKeyPath))
        renewOwnKeyCopies(made);
    return made;
}

void KeyAuthenticator::renewOwnKeyCopies(const std::string& made)
{
    const std::string name = KeyFileNames::fileNameOf(made);
    std::vector<std::string> copies;
    for (const std::string& folder : foldersBelow(identity_.keyFolder))
        if (folder + name != made && FileAttributes::isRegularFile(folder + name))
            copies.push_back(folder + name);
    if (copies.empty() || !messenger_.askYesNo(Msg::RenewOwnAuthKeyCopies, MsgIcon::Question))
        return;
    const auto bytes = readWholeFile(made, KeyFileStore::kMaxKeyFileSize);
    if (!bytes)
        return;
    for (const std::string& copy : copies)
        if (!KeyFileStore::writeReplacing(copy, *bytes, KeyFileStore::kKeyFileMode))
            messenger_.show(Msg::AuthKeyCreationFailed, MsgIcon::Stop, copy);
}

std::string KeyAuthenticator::makeAuthenticatedKey(const std::string& partnerPath, const SystemTime& expiry, bool quiet,
                                                   bool overwriteConfirmed)
{
    const auto identity = IdentityBlock::fromPrivateKeyPath(identity_.ownPrivateKeyPath, identity_.installationTag);
    if (!identity) {
        messenger_.show(Msg::NotOpenPrivateKey, MsgIcon::Stop, identity_.ownPrivateKeyPath);
        return {};
    }
    AuthRecord record;
    record.identityHash = identity->hash();
    record.userName = identity_.userName;
    record.mail = identity_.mail;
    record.authenticated = Clock::now();
    record.issuerMark = AuthRecord::kCurrentIssuerMark;
    record.expiry = expiry;

    RsaKeyWrapper wrapper;
    std::vector<uint8_t> sealed;
    const auto plain = record.toBytes();
    if (!wrapper.loadFromFile(partnerPath) || !wrapper.encrypt(plain.data(), plain.size(), sealed)) {
        messenger_.show(Msg::PartnerEncryptionFailed, MsgIcon::Stop);
        return {};
    }
    const std::vector<uint8_t> ownBlob = RsaKeyWrapper::readBlobFromKeyFile(identity_.ownPublicKeyPath);
    if (ownBlob.empty()) {
        messenger_.show(Msg::OwnPublicKeyMissing, MsgIcon::Stop, identity_.ownPublicKeyPath);
        return {};
    }
    const std::string target = targetPathFor(partnerPath, identity_.ownPublicKeyPath);
    const bool targetExists = FileAttributes::exists(target);
    if (targetExists && !overwriteConfirmed &&
        !messenger_.askYesNo(Msg::FileExistsOverwriteQuestion, MsgIcon::Question, target))
        return {};

    std::vector<uint8_t> bytes = KeyFileStore::framing(ownBlob);
    const std::vector<uint8_t> second = KeyFileStore::framing(sealed);
    bytes.insert(bytes.end(), second.begin(), second.end());
    const bool written = targetExists ? KeyFileStore::writeReplacing(target, bytes, KeyFileStore::kKeyFileMode)
                                      : KeyFileStore::writeNew(target, bytes, KeyFileStore::kKeyFileMode);
    if (!written) {
        messenger_.show(Msg::AuthKeyCreationFailed, MsgIcon::Stop, target);
        return {};
    }
    madeThisRun_.push_back(target);
    if (!quiet && dialogs_.complete)
        continueWithOthers_ = dialogs_.complete(completionLines(partnerPath, target), madeThisRun_);
    return target;
}

std::vector<KeyAuthenticator::Mail> KeyAuthenticator::mailsForRun() const
{
    std::vector<Mail> mails;
    for (const std::string& made : madeThisRun_)
        mails.push_back({made, messenger_.text(Msg::MailSubjectAuthKey), messenger_.text(Msg::MailBodyAuthKey)});
    return mails;
}

std::vector<std::string> KeyAuthenticator::completionLines(const std::string& partnerPath,
                                                           const std::string& target) const
{
    return {KeyFileNames::fileNameOf(partnerPath) + "\t" + messenger_.text(Msg::ReceivedPublicKeyNote),
            KeyFileNames::fileNameOf(identity_.ownPrivateKeyPath) + "\t" + messenger_.text(Msg::YourPrivateKeyNote),
            KeyFileNames::fileNameOf(target) + "\t" + messenger_.text(Msg::AuthKeyNote)};
}

} // namespace mvx

#include "keys/CKeyManager.h"

#include "app/Msg.h"
#include "engine/ContainerTrailer.h"
#include "engine/Crc64.h"
#include "engine/SenderTag.h"
#include "keys/AuthRecord.h"
#include "keys/DateTexts.h"
#include "keys/KeyFileNames.h"
#include "keys/KeyFileStore.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"
#include "platform/TextFields.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

constexpr size_t kExpiryAt = 388;
constexpr size_t kRegisteredAt = 404;
constexpr size_t kLastUseAt = 420;
constexpr size_t kIssuerMarkAt = 436;
constexpr size_t kSenderTagAt = 440;
constexpr size_t kMailAt = CKeyManager::UserData::kDisplayNameSize;
constexpr size_t kFileNameAt = kMailAt + CKeyManager::UserData::kMailSize;
// Larger blobs than any RSA key file holds mark a damaged framing.
constexpr uint32_t kMaxBlobLength = 16 * 1024;

// The framing (length, blob) at offset in the file; empty when it does not fit.
std::vector<uint8_t> framingAt(int fd, uint64_t fileLength, uint64_t offset)
{
    uint8_t lengthBytes[4];
    if (offset + 4 > fileLength || !preadFully(fd, lengthBytes, 4, offset))
        return {};
    const uint32_t length = getLe32(lengthBytes);
    if (length == 0 || length > kMaxBlobLength || offset + 4 + length > fileLength)
        return {};
    std::vector<uint8_t> blob(length);
    if (!preadFully(fd, blob.data(), blob.size(), offset + 4))
        return {};
    return blob;
}

bool isOutdated(const SystemTime& expiry)
{
    if (expiry.year == 0)
        return false;
    if (expiry.year < 1900)
        return true;
    // Whole minutes, truncated toward zero: a key is outdated once its expiry
    // lies at least one minute in the past.
    return (expiry.toUnix() - Clock::unixNow()) / 60 < 0;
}

} // namespace

std::array<uint8_t, CKeyManager::UserData::kDiskSize> CKeyManager::UserData::toDisk() const
{
    std::array<uint8_t, kDiskSize> bytes{};
    // Each text keeps one byte of its field for the terminator.
    TextFields::put(bytes.data(), kDisplayNameSize, TextFields::truncate(displayName, kDisplayNameSize - 1));
    TextFields::put(bytes.data() + kMailAt, kMailSize, TextFields::truncate(mail, kMailSize - 1));
    TextFields::put(bytes.data() + kFileNameAt, kFileNameSize, TextFields::truncate(fileName, kFileNameSize - 1));
    expiry.toBytes(bytes.data() + kExpiryAt);
    registered.toBytes(bytes.data() + kRegisteredAt);
    lastUse.toBytes(bytes.data() + kLastUseAt);
    bytes[kIssuerMarkAt] = issuerMark;
    putLe32(bytes.data() + kSenderTagAt, senderTag);
    return bytes;
}

CKeyManager::UserData CKeyManager::UserData::fromDisk(const uint8_t* bytes)
{
    UserData record;
    record.displayName = TextFields::get(bytes, kDisplayNameSize);
    record.mail = TextFields::get(bytes + kMailAt, kMailSize);
    record.fileName = KeyFileNames::safeFileName(TextFields::get(bytes + kFileNameAt, kFileNameSize));
    record.expiry = SystemTime::fromBytes(bytes + kExpiryAt);
    record.registered = SystemTime::fromBytes(bytes + kRegisteredAt);
    record.lastUse = SystemTime::fromBytes(bytes + kLastUseAt);
    record.issuerMark = bytes[kIssuerMarkAt];
    record.senderTag = getLe32(bytes + kSenderTagAt);
    return record;
}

void CKeyManager::findOwnKeySet(const std::string& keyPairRoot, const std::string& publicKeyName,
                                const std::string& privateKeyName)
{
    keyRoot_ = KeyFileNames::withTrailingSlash(keyPairRoot);
    publicKeyName_ = KeyFileNames::fileNameOf(publicKeyName);
    privateKeyName_ = KeyFileNames::fileNameOf(privateKeyName);
    const std::string keySetName = KeyFileNames::keySetNameOfPrivateKey(privateKeyName_);
    setKeyFolder(KeyFileNames::keyFolder(keyRoot_, keySetName));
    readPersonalInfo();
}

int CKeyManager::adoptKeyPair(const std::string& publicKeyPath, const std::string& privateKeyPath)
{
    if (!KeyFileStore::keyPairIsValid(publicKeyPath, privateKeyPath) ||
        KeyFileNames::folderOf(publicKeyPath) != KeyFileNames::folderOf(privateKeyPath)) {
        messenger_.show(Msg::SelectedKeyPairAbnormal, MsgIcon::Stop);
        return 0;
    }
    findOwnKeySet(KeyFileNames::folderOf(privateKeyPath), KeyFileNames::fileNameOf(publicKeyPath),
                  KeyFileNames::fileNameOf(privateKeyPath));
    messenger_.show(Msg::KeyPairChanged, MsgIcon::Information, publicKeyPath, privateKeyPath);
    return 1;
}

void CKeyManager::setKeyFolder(const std::string& folder)
{
    keyFolder_ = KeyFileNames::withTrailingSlash(folder);
    owner_ = KeyFileNames::ownerOfKeyFolder(keyFolder_);
    const auto blob = RsaKeyWrapper::readBlobFromKeyFile(keyRoot_ + KeyFileNames::publicKeyName(owner_));
    ownFingerprint_ = blob.empty() ? 0 : keyFingerprint(blob.data(), blob.size());
}

void CKeyManager::scanFolder(const std::string& folder)
{
    if (folder != keyFolder_)
        folderNames_.push_back(kParentEntry);
    const std::string ownPublicKey = KeyFileNames::publicKeyName(owner_);
    for (const std::string& name : FileAttributes::entries(folder)) {
        const std::string path = folder + name;
        if (FileAttributes::isDirectory(path)) {
            folderNames_.push_back(name);
        } else if (KeyFileNames::endsWithNoCase(name, KeyFileNames::kAuthEnding)) {
            authenticatedNames_.push_back(name);
        } else if (KeyFileNames::endsWithNoCase(name, KeyFileNames::kPublicEnding) && name != ownPublicKey) {
            publicNames_.push_back(name);
        }
    }
}

int CKeyManager::openFolder(const std::string& folder)
{
    currentFolder_ = KeyFileNames::withTrailingSlash(folder);
    authenticatedNames_.clear();
    publicNames_.clear();
    folderNames_.clear();
    authenticatedRecords_.clear();
    publicRecords_.clear();
    if (FileAttributes::entries(currentFolder_).empty())
        return kFolderEmpty;
    scanFolder(currentFolder_);
    loadMemberFiles();
    readPersonalInfo();
    return kFolderOpened;
}

std::vector<CKeyManager::UserData> CKeyManager::loadMemberFile(const std::string& path)
{
    std::vector<UserData> records;
    auto bytes = readWholeFile(path);
    if (!bytes || bytes->size() < 4)
        return records;
    const uint64_t count = getLe32(bytes->data());
    // A short file keeps the records read before its end.
    const uint64_t complete = (bytes->size() - 4) / UserData::kDiskSize;
    for (uint64_t i = 0; i < std::min(count, complete); ++i)
        records.push_back(UserData::fromDisk(bytes->data() + 4 + i * UserData::kDiskSize));
    return records;
}

bool CKeyManager::saveMemberFile(const std::string& path, const std::vector<UserData>& records)
{
    if (records.empty())
        return ::unlink(path.c_str()) == 0 || !FileAttributes::exists(path);
    std::vector<uint8_t> bytes(4 + records.size() * UserData::kDiskSize);
    putLe32(bytes.data(), static_cast<uint32_t>(records.size()));
    for (size_t i = 0; i < records.size(); ++i) {
        const auto disk = records[i].toDisk();
        std::copy(disk.begin(), disk.end(), bytes.begin() + 4 + static_cast<std::ptrdiff_t>(i * UserData::kDiskSize));
    }
    return writeWholeFile(path, bytes.data(), bytes.size(), 0600);
}

void CKeyManager::loadMemberFiles()
{
    authenticatedRecords_ = loadMemberFile(currentFolder_ + KeyFileNames::kMemberFile);
    publicRecords_ = loadMemberFile(currentFolder_ + KeyFileNames::kPublicMemberFile);
}

bool CKeyManager::saveMemberFiles() const
{
    const bool authenticatedSaved = saveMemberFile(currentFolder_ + KeyFileNames::kMemberFile, authenticatedRecords_);
    const bool publicSaved = saveMemberFile(currentFolder_ + KeyFileNames::kPublicMemberFile, publicRecords_);
    return authenticatedSaved && publicSaved;
}

bool CKeyManager::readPersonalInfo()
{
    std::ifstream in(keyFolder_ + KeyFileNames::kPersonalInfoFile);
    if (!in)
        return false;
    auto readLine = [&in](std::string& line) {
        std::getline(in, line);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
    };
    readLine(userName_);
    readLine(mail_);
    return true;
}

bool CKeyManager::writePersonalInfo(const std::string& userName, const std::string& mail)
{
    // Each value is one line of the file.
    auto oneLine = [](std::string value) {
        for (char& c : value)
            if (c == '\n' || c == '\r')
                c = ' ';
        return value;
    };
    const std::string text = oneLine(userName) + "\n" + oneLine(mail) + "\n";
    if (!writeWholeFile(keyFolder_ + KeyFileNames::kPersonalInfoFile, text.data(), text.size(), 0600))
        return false;
    userName_ = oneLine(userName);
    mail_ = oneLine(mail);
    return true;
}

const CKeyManager::UserData& CKeyManager::recordAt(size_t index) const
{
    return index < authenticatedRecords_.size() ? authenticatedRecords_[index]
                                                : publicRecords_.at(index - authenticatedRecords_.size());
}

bool CKeyManager::removeRecord(size_t index)
{
    if (index < authenticatedRecords_.size()) {
        authenticatedRecords_.erase(authenticatedRecords_.begin() + static_cast<std::ptrdiff_t>(index));
        return true;
    }
    index -= authenticatedRecords_.size();
    if (index >= publicRecords_.size())
        return false;
    publicRecords_.erase(publicRecords_.begin() + static_cast<std::ptrdiff_t>(index));
    return true;
}

bool CKeyManager::isOwnKeySetFile(const std::string& path) const
{
    struct stat given {};
    if (!hasOwnKeySet() || ::stat(path.c_str(), &given) != 0)
        return false;
    std::vector<std::string> own = {ownPublicKeyPath(), ownPrivateKeyPath()};
    if (!keyFolder_.empty() && !owner_.empty())
        own.push_back(keyFolder_ + KeyFileNames::authKeyName(owner_, owner_));
    return std::any_of(own.begin(), own.end(), [&](const std::string& ownPath) {
        struct stat st {};
        return ::stat(ownPath.c_str(), &st) == 0 && st.st_dev == given.st_dev && st.st_ino == given.st_ino;
    });
}

int CKeyManager::addKey(const std::string& displayName, const std::string& mail, const std::string& keyFilePath)
{
    const std::string fileName = KeyFileNames::fileNameOf(keyFilePath);
    if (displayName.size() > kMaxDisplayNameBytes || mail.size() > kMaxMailBytes ||
        fileName.size() > kMaxFileNameBytes || fileName.empty())
        return kKeyRefused;
    const std::string inFolder = currentFolder_ + fileName;
    const bool moves = keyFilePath.find('/') != std::string::npos && keyFilePath != inFolder;
    if (moves && isOwnKeySetFile(keyFilePath))
        return kOwnKeySetFile;
    if (moves && !FileAttributes::moveReplacing(keyFilePath, inFolder))
        return kKeyRefused;
    if (!FileAttributes::isRegularFile(inFolder))
        return kKeyFileNotFound;

    UserData record;
    record.displayName = displayName;
    record.mail = mail;
    record.fileName = fileName;
    record.registered = FileAttributes::lastWriteTime(inFolder);
    const bool authenticated = KeyFileNames::endsWithNoCase(fileName, KeyFileNames::kAuthEnding);
    if (authenticated) {
        const AuthenticatedKey key = readAuthenticatedKey(inFolder);
        if (key.result != kAuthKeyRead)
            return kAuthKeyUnreadable;
        record.expiry = key.expiry;
        record.issuerMark = static_cast<uint8_t>(key.issuerMark);
    }
    record.senderTag = static_cast<uint32_t>(senderTagOfKeyFile(inFolder).value_or(0));
    (authenticated ? authenticatedRecords_ : publicRecords_).push_back(record);
    return kKeyAdded;
}

CKeyManager::AuthenticatedKey CKeyManager::readAuthenticatedKey(const std::string& path)
{
    AuthenticatedKey key;
    if (!hasOwnKeySet() || !FileAttributes::isRegularFile(ownPrivateKeyPath())) {
        key.result = kOwnPrivateKeyMissing;
        return key;
    }
    auto bytes = readWholeFile(path, 64 * 1024);
    if (!bytes) {
        key.result = kAuthKeyFileMissing;
        return key;
    }
    key.result = kNotAuthenticated;
    if (bytes->size() < 4)
        return key;
    const uint64_t secondAt = 4 + static_cast<uint64_t>(getLe32(bytes->data()));
    if (secondAt + 4 > bytes->size())
        return key;
    const uint32_t sealedLength = getLe32(bytes->data() + secondAt);
    if (sealedLength == 0 || sealedLength > RsaKeyWrapper::kMaxBlock || secondAt + 4 + sealedLength > bytes->size())
        return key;
    if (!wrapper_.loadFromFile(ownPrivateKeyPath()))
        return key;
    std::vector<uint8_t> plain;
    if (!wrapper_.decrypt(bytes->data() + secondAt + 4, sealedLength, plain) || plain.size() < AuthRecord::kSize)
        return key;
    const AuthRecord record = AuthRecord::fromBytes(plain.data());
    key.result = kAuthKeyRead;
    key.userName = record.userName;
    key.mail = record.mail;
    key.authenticated = record.authenticated;
    key.expiry = record.expiry;
    key.issuerMark = record.issuerMark;
    key.identityHash = record.identityHash;
    return key;
}

std::optional<uint64_t> CKeyManager::senderTagOfKeyFile(const std::string& path)
{
    FdGuard fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat st {};
    if (!fd.valid() || fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        messenger_.show(Msg::FileWasNotFound, MsgIcon::Stop, path);
        return std::nullopt;
    }
    const uint64_t length = static_cast<uint64_t>(st.st_size);
    uint64_t framingOffset = 0;
    if (!KeyFileNames::endsWithNoCase(path, KeyFileNames::kPublicEnding)) {
        // A container: its trailer names where the sender attachment begins.
        uint8_t offsetBytes[4];
        if (length < ContainerTrailer::kSize || !preadFully(fd.get(), offsetBytes, 4, length - 32))
            return std::nullopt;
        framingOffset = static_cast<uint64_t>(getLe32(offsetBytes)) + 80;
    }
    const std::vector<uint8_t> blob = framingAt(fd.get(), length, framingOffset);
    if (blob.empty())
        return std::nullopt;
    return SenderTag::crcOfBlob(blob.data(), blob.size());
}

std::vector<std::string> CKeyManager::keyFolderTree() const { return keyFolderTreeOf(keyFolder_); }

std::vector<std::string> CKeyManager::keyFolderTreeOf(const std::string& folder)
{
    std::vector<std::string> folders;
    if (folder.empty() || !FileAttributes::isDirectory(folder))
        return folders;
    folders.push_back(KeyFileNames::withTrailingSlash(folder));
    for (size_t next = 0; next < folders.size(); ++next)
        for (const std::string& name : FileAttributes::entries(folders[next]))
            if (FileAttributes::isDirectory(folders[next] + name) && !FileAttributes::isSymbolicLink(folders[next] + name))
                folders.push_back(folders[next] + name + "/");
    return folders;
}

std::vector<CKeyManager::OutdatedKey> CKeyManager::findOutdatedKeys() const
{
    std::vector<OutdatedKey> outdated;
    for (const std::string& folder : keyFolderTree())
        for (const UserData& record : loadMemberFile(folder + KeyFileNames::kMemberFile))
            if (isOutdated(record.expiry))
                outdated.push_back({record.displayName, record.fileName, folder, dateText(record.expiry)});
    return outdated;
}

} // namespace mvx

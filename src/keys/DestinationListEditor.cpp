#include "keys/DestinationListEditor.h"

#include "app/CContinueConfirmDialog.h"
#include "app/Msg.h"
#include "engine/RsaKeyWrapper.h"
#include "keys/DateTexts.h"
#include "keys/KeyFileNames.h"
#include "keys/KeyFileStore.h"
#include "keys/MemberRecords.h"
#include "platform/FileAttributes.h"
#include "platform/FileIo.h"
#include "platform/SecureDelete.h"
#include "platform/TextFields.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

// The canonical form of an existing folder with a trailing "/", empty when it does not exist.
std::string canonicalFolder(const std::string& folder)
{
    char resolved[PATH_MAX];
    if (!::realpath(folder.c_str(), resolved))
        return {};
    return KeyFileNames::withTrailingSlash(resolved);
}

std::string lastComponent(const std::string& folder)
{
    std::string path = folder;
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return KeyFileNames::fileNameOf(path);
}

// Removes a folder with everything in it; key files are destroyed by secure deletion.
bool removeTree(const std::string& folder, std::string& failed)
{
    bool ok = true;
    for (const std::string& name : FileAttributes::entries(folder)) {
        const std::string path = folder + name;
        if (FileAttributes::isDirectory(path) && !FileAttributes::isSymbolicLink(path)) {
            ok = removeTree(path + "/", failed) && ok;
            continue;
        }
        const bool keyFile = KeyFileNames::kindOf(name) != KeyKind::Other;
        const bool gone = keyFile ? KeyFileStore::destroy(path) != SecureDeleteResult::kFailed
                                  : ::unlink(path.c_str()) == 0;
        if (!gone) {
            failed = path;
            ok = false;
        }
    }
    return ok && ::rmdir(folder.c_str()) == 0;
}

bool removeRecord(const std::string& folder, const std::string& fileName)
{
    const std::string memberFile = MemberRecords::memberFileFor(folder, fileName);
    auto records = CKeyManager::loadMemberFile(memberFile);
    const auto end = std::remove_if(records.begin(), records.end(),
                                    [&](const CKeyManager::UserData& r) { return r.fileName == fileName; });
    records.erase(end, records.end());
    return CKeyManager::saveMemberFile(memberFile, records);
}

bool appendRecord(const std::string& folder, const CKeyManager::UserData& record)
{
    const std::string memberFile = MemberRecords::memberFileFor(folder, record.fileName);
    auto records = CKeyManager::loadMemberFile(memberFile);
    records.push_back(record);
    return CKeyManager::saveMemberFile(memberFile, records);
}

} // namespace

DestinationListEditor::DestinationListEditor(CMessenger& messenger, CKeyManager& keys, EntryDialog dialog)
    : messenger_(messenger), keys_(keys), dialog_(std::move(dialog))
{
}

bool DestinationListEditor::isMakerKey(const std::string& fileName)
{
    return KeyFileNames::endsWithNoCase(fileName, kMakerKeyFileName) &&
           fileName.size() == std::char_traits<char>::length(kMakerKeyFileName);
}

DestinationListEditor::Row DestinationListEditor::rowOf(const CKeyManager::UserData& record, bool authenticated) const
{
    Row row;
    row.name = record.displayName;
    row.mail = record.mail;
    row.keyFileName = record.fileName;
    row.fileTime = record.registered.isSet() ? dateTimeText(record.registered) : std::string();
    row.expiration = record.expiry.isSet() ? dateText(record.expiry) : messenger_.text(Msg::NotSetting);
    row.lastOperation = record.lastUse.isSet() ? dateTimeText(record.lastUse) : messenger_.text(Msg::NotUsed);
    row.authenticated = authenticated;
    row.oneself = authenticated && record.fileName == KeyFileNames::authKeyName(keys_.owner(), keys_.owner());
    return row;
}

DestinationListEditor::FolderView DestinationListEditor::showFolder(const std::string& folder)
{
    const std::string shown = folder.empty() ? keys_.keyFolder() : KeyFileNames::withTrailingSlash(folder);
    keys_.openFolder(shown);
    FolderView view;
    view.folder = shown;
    if (shown == keys_.keyFolder()) {
        view.title = keys_.owner() + messenger_.text(Msg::OwnersDestinationListSuffix);
    } else {
        view.title = lastComponent(shown);
        view.parentRow = messenger_.text(Msg::BackToUpperList);
    }
    for (const std::string& name : keys_.folderNames())
        if (name != CKeyManager::kParentEntry)
            view.subfolders.push_back(name);
    for (const auto& record : keys_.authenticatedRecords())
        view.rows.push_back(rowOf(record, true));
    for (const auto& record : keys_.publicRecords())
        view.rows.push_back(rowOf(record, false));
    return view;
}

void DestinationListEditor::reopen() { keys_.openFolder(keys_.currentFolder()); }

std::string DestinationListEditor::folderOrCurrent(const std::string& folder) const
{
    if (!folder.empty())
        return KeyFileNames::withTrailingSlash(folder);
    return keys_.currentFolder().empty() ? keys_.keyFolder() : keys_.currentFolder();
}

bool DestinationListEditor::insideKeyFolder(const std::string& folder) const
{
    const std::string root = canonicalFolder(keys_.keyFolder());
    const std::string candidate = canonicalFolder(folder);
    return !root.empty() && !candidate.empty() && candidate.compare(0, root.size(), root) == 0;
}

bool DestinationListEditor::isOwnPublicKey(const std::string& path) const
{
    const auto own = RsaKeyWrapper::readBlobFromKeyFile(keys_.ownPublicKeyPath());
    return !own.empty() && RsaKeyWrapper::readBlobFromKeyFile(path) == own;
}

bool DestinationListEditor::checkKeyFile(const std::string& path)
{
    const std::string name = KeyFileNames::fileNameOf(path);
    if (KeyFileNames::kindOf(name) == KeyKind::Private || !KeyFileStore::passesKindCheck(path)) {
        messenger_.show(Msg::KeyFileCheckFailed, MsgIcon::Stop, name);
        return false;
    }
    if (KeyFileNames::kindOf(name) == KeyKind::Public && isOwnPublicKey(path)) {
        messenger_.show(Msg::CannotRegisterOwnKey, MsgIcon::Stop);
        return false;
    }
    if (KeyFileNames::kindOf(name) == KeyKind::Authenticated &&
        keys_.readAuthenticatedKey(path).result != CKeyManager::kAuthKeyRead) {
        messenger_.show(Msg::AuthKeyCannotBeRegistered, MsgIcon::Stop);
        return false;
    }
    return true;
}

bool DestinationListEditor::collectFields(EntryFields& fields, bool modify)
{
    for (;;) {
        const std::string keyFile = fields.keyFile;
        if (!dialog_ || !dialog_(fields, modify))
            return false;
        fields.name = TextFields::truncate(fields.name, CKeyManager::kMaxDisplayNameBytes);
        fields.mail = TextFields::truncate(fields.mail, CKeyManager::kMaxMailBytes);
        if (!modify && fields.keyFile != keyFile && !checkKeyFile(fields.keyFile))
            continue;
        if (fields.name.empty()) {
            messenger_.show(Msg::SetUserNameOfKey, MsgIcon::Exclamation);
            continue;
        }
        if (fields.mail.empty()) {
            messenger_.show(Msg::SetMailOfKey, MsgIcon::Exclamation);
            continue;
        }
        fields.folder = folderOrCurrent(fields.folder);
        return true;
    }
}

bool DestinationListEditor::refuseDuplicate(const std::string& keyFilePath, const std::string& folder)
{
    const std::string name = KeyFileNames::fileNameOf(keyFilePath);
    if (KeyFileNames::kindOf(name) == KeyKind::Authenticated) {
        const auto tag = keys_.senderTagOfKeyFile(keyFilePath);
        for (const auto& record : CKeyManager::loadMemberFile(folder + KeyFileNames::kMemberFile)) {
            if (tag && record.senderTag == static_cast<uint32_t>(*tag)) {
                messenger_.show(Msg::AuthKeyAlreadyRegistered, MsgIcon::Stop);
                return true;
            }
            if (record.fileName == name) {
                messenger_.show(Msg::AlreadyRegisteredAsAuthKey, MsgIcon::Stop, name);
                return true;
            }
        }
        return false;
    }
    if (MemberRecords::find(folder, name)) {
        messenger_.show(Msg::AlreadyRegisteredAsPublicKey, MsgIcon::Stop, name);
        return true;
    }
    return false;
}

void DestinationListEditor::offerCopiesUpdate(const std::string& keyFilePath, const std::string& folder)
{
    const std::string name = KeyFileNames::fileNameOf(keyFilePath);
    std::vector<std::string> copies;
    for (const std::string& copy : findCopies(name))
        if (copy != folder + name && copy != keyFilePath)
            copies.push_back(copy);
    if (copies.empty())
        return;
    std::string text = messenger_.text(Msg::KeyRegisteredElsewhereUpdate);
    for (const std::string& copy : copies)
        text += KeyFileNames::folderOf(copy) + "\n";
    if (!messenger_.askOkCancelText(text, MsgIcon::Information))
        return;
    const auto bytes = readWholeFile(keyFilePath, KeyFileStore::kMaxKeyFileSize);
    if (!bytes)
        return;
    for (const std::string& copy : copies) {
        if (!KeyFileStore::writeReplacing(copy, *bytes, KeyFileStore::kKeyFileMode)) {
            messenger_.show(Msg::KeyFileMoveFailed, MsgIcon::Exclamation, copy);
            continue;
        }
        MemberRecords::update(KeyFileNames::folderOf(copy), name, [&](CKeyManager::UserData& record) {
            MemberRecords::refreshFromKeyFile(keys_, copy, record);
        });
    }
}

bool DestinationListEditor::addToFolder(const EntryFields& fields)
{
    keys_.openFolder(fields.folder);
    const int result = keys_.addKey(fields.name, fields.mail, fields.keyFile);
    switch (result) {
    case CKeyManager::kKeyAdded: break;
    case CKeyManager::kKeyFileNotFound:
        messenger_.show(Msg::FileWasNotFound, MsgIcon::Stop, fields.keyFile);
        return false;
    case CKeyManager::kAuthKeyUnreadable:
        messenger_.show(Msg::AuthKeyCannotBeRegistered, MsgIcon::Stop);
        return false;
    case CKeyManager::kOwnKeySetFile:
        messenger_.show(Msg::OwnKeySetFileNotMoved, MsgIcon::Stop, fields.keyFile);
        reopen();
        return false;
    default:
        messenger_.show(Msg::KeyFileMoveFailed, MsgIcon::Exclamation, KeyFileNames::fileNameOf(fields.keyFile));
        return false;
    }
    if (!keys_.saveMemberFiles()) {
        messenger_.show(Msg::MemberFileWriteFailed, MsgIcon::Stop,
                        MemberRecords::memberFileFor(fields.folder, KeyFileNames::fileNameOf(fields.keyFile)));
        reopen();
        return false;
    }
    reopen();
    return true;
}

bool DestinationListEditor::registerKey(const std::string& keyFilePath, const std::string& folder)
{
    if (!checkKeyFile(keyFilePath))
        return false;
    EntryFields fields{{}, {}, keyFilePath, folderOrCurrent(folder)};
    const std::string name = KeyFileNames::fileNameOf(keyFilePath);
    if (isMakerKey(name)) {
        fields.name = messenger_.text(Msg::MakerDisplayName);
    } else if (KeyFileNames::kindOf(name) == KeyKind::Authenticated) {
        const auto key = keys_.readAuthenticatedKey(keyFilePath);
        fields.name = key.userName;
        fields.mail = key.mail;
    }
    if (!collectFields(fields, false))
        return false;
    if (refuseDuplicate(fields.keyFile, fields.folder))
        return false;
    offerCopiesUpdate(fields.keyFile, fields.folder);
    return addToFolder(fields);
}

bool DestinationListEditor::registerKeyAs(const std::string& keyFilePath, const std::string& folder, const std::string& name,
                                  const std::string& mail)
{
    if (!checkKeyFile(keyFilePath))
        return false;
    EntryFields fields{TextFields::truncate(name, CKeyManager::kMaxDisplayNameBytes),
                       TextFields::truncate(mail, CKeyManager::kMaxMailBytes), keyFilePath, folderOrCurrent(folder)};
    if (refuseDuplicate(fields.keyFile, fields.folder))
        return false;
    return addToFolder(fields);
}

bool DestinationListEditor::modify(const std::vector<size_t>& selection)
{
    if (selection.empty() || selection.front() >= keys_.recordCount()) {
        messenger_.show(Msg::NoItemsSelected, MsgIcon::Exclamation);
        return false;
    }
    const CKeyManager::UserData record = keys_.recordAt(selection.front());
    if (isMakerKey(record.fileName)) {
        messenger_.show(Msg::MakerKeyCannotModify, MsgIcon::Stop);
        return false;
    }
    const std::string source = keys_.currentFolder();
    EntryFields fields{record.displayName, record.mail, source + record.fileName, source};
    if (!collectFields(fields, true))
        return false;
    const bool written = MemberRecords::update(source, record.fileName, [&](CKeyManager::UserData& r) {
        r.displayName = fields.name;
        r.mail = fields.mail;
    });
    if (!written) {
        messenger_.show(Msg::MemberFileWriteFailed, MsgIcon::Stop, MemberRecords::memberFileFor(source, record.fileName));
        reopen();
        return false;
    }
    reopen();
    if (canonicalFolder(fields.folder) == canonicalFolder(source))
        return true;
    const auto index = selection.front();
    return move({index}, fields.folder) == 1;
}

size_t DestinationListEditor::deleteEntries(const std::vector<size_t>& selection)
{
    if (selection.empty()) {
        messenger_.show(Msg::NoItemsSelected, MsgIcon::Exclamation);
        return 0;
    }
    std::vector<CKeyManager::UserData> chosen;
    for (size_t index : selection)
        if (index < keys_.recordCount())
            chosen.push_back(keys_.recordAt(index));
    const std::string folder = keys_.currentFolder();
    size_t deleted = 0;
    bool deleteAll = false;
    for (const auto& record : chosen) {
        if (isMakerKey(record.fileName)) {
            messenger_.show(Msg::MakerKeyCannotDelete, MsgIcon::Stop);
            continue;
        }
        if (!deleteAll) {
            const auto dialog = CContinueConfirmDialog::forDelete(
                messenger_.table(), messenger_.format(Msg::DeleteAddressAndKey, record.displayName, record.displayName));
            const int pressed = dialog.DoModal(messenger_.interaction());
            if (pressed == CContinueConfirmDialog::kFourth)
                break;
            if (pressed == CContinueConfirmDialog::kThird)
                continue;
            deleteAll = pressed == CContinueConfirmDialog::kSecond;
        }
        const std::string path = folder + record.fileName;
        const int destroyed = KeyFileStore::destroy(path);
        if (destroyed == SecureDeleteResult::kFailed) {
            messenger_.show(Msg::DeletionFailed, MsgIcon::Exclamation, path);
            continue;
        }
        if (destroyed == SecureDeleteResult::kNameRemovedOnly)
            messenger_.show(Msg::SharedContentNotOverwritten, MsgIcon::Exclamation, path);
        if (!removeRecord(folder, record.fileName))
            messenger_.show(Msg::MemberFileWriteFailed, MsgIcon::Stop, MemberRecords::memberFileFor(folder, record.fileName));
        ++deleted;
    }
    reopen();
    return deleted;
}

bool DestinationListEditor::deleteFolder(const std::string& folder)
{
    const std::string target = KeyFileNames::withTrailingSlash(folder);
    if (!insideKeyFolder(target) || canonicalFolder(target) == canonicalFolder(keys_.keyFolder())) {
        messenger_.show(Msg::MoveTargetOutsideKeyFolder, MsgIcon::Stop);
        return false;
    }
    for (const std::string& below : CKeyManager::keyFolderTreeOf(target))
        if (FileAttributes::isRegularFile(below + kMakerKeyFileName)) {
            messenger_.show(Msg::MakerKeyCannotDelete, MsgIcon::Stop);
            return false;
        }
    if (!messenger_.askYesNo(Msg::DeleteFolderAndAddresses, MsgIcon::Question, lastComponent(target)))
        return false;
    std::string failed;
    const bool removed = removeTree(target, failed);
    if (!removed && !failed.empty())
        messenger_.show(Msg::DeletionFailed, MsgIcon::Exclamation, failed);
    const std::string current = canonicalFolder(keys_.currentFolder());
    keys_.openFolder(current.empty() ? KeyFileNames::folderOf(target.substr(0, target.size() - 1))
                                     : keys_.currentFolder());
    return removed;
}

bool DestinationListEditor::makeFolder(const std::string& name)
{
    if (name.empty()) {
        messenger_.show(Msg::FillInFolderName, MsgIcon::Exclamation);
        return false;
    }
    const std::string folder = folderOrCurrent({});
    if (name == "." || name == ".." || name.find('/') != std::string::npos || name.find('\0') != std::string::npos ||
        ::mkdir((folder + name).c_str(), 0700) != 0) {
        messenger_.show(Msg::FolderNameUnusable, MsgIcon::Stop);
        return false;
    }
    reopen();
    return true;
}

bool DestinationListEditor::moveEntry(const CKeyManager::UserData& record, const std::string& target)
{
    const std::string source = keys_.currentFolder();
    const std::string from = source + record.fileName;
    const std::string to = target + record.fileName;
    if (FileAttributes::exists(to) || !FileAttributes::moveReplacing(from, to)) {
        messenger_.show(Msg::KeyFileMoveFailed, MsgIcon::Exclamation, record.fileName);
        return false;
    }
    if (!appendRecord(target, record)) {
        FileAttributes::moveReplacing(to, from);
        messenger_.show(Msg::MemberFileWriteFailed, MsgIcon::Stop, MemberRecords::memberFileFor(target, record.fileName));
        return false;
    }
    if (!removeRecord(source, record.fileName))
        messenger_.show(Msg::MemberFileWriteFailed, MsgIcon::Stop, MemberRecords::memberFileFor(source, record.fileName));
    return true;
}

size_t DestinationListEditor::move(const std::vector<size_t>& selection, std::optional<std::string> target)
{
    std::vector<CKeyManager::UserData> chosen;
    for (size_t index : selection)
        if (index < keys_.recordCount())
            chosen.push_back(keys_.recordAt(index));
    if (chosen.empty()) {
        messenger_.show(Msg::NoItemsSelected, MsgIcon::Exclamation);
        return 0;
    }
    if (std::any_of(chosen.begin(), chosen.end(), [](const auto& r) { return isMakerKey(r.fileName); })) {
        messenger_.show(Msg::MakerKeyCannotMove, MsgIcon::Stop);
        return 0;
    }
    for (const auto& record : chosen)
        if (keys_.isOwnKeySetFile(keys_.currentFolder() + record.fileName)) {
            messenger_.show(Msg::OwnKeySetFileNotMoved, MsgIcon::Stop, keys_.currentFolder() + record.fileName);
            return 0;
        }
    if (!target)
        target = messenger_.interaction().chooseFolderPrompted(messenger_.text(Msg::SelectFolderTitle),
                                                               messenger_.text(Msg::SelectFolderPrompt),
                                                               keys_.currentFolder());
    if (!target)
        return 0;
    if (!insideKeyFolder(*target)) {
        messenger_.show(Msg::MoveTargetOutsideKeyFolder, MsgIcon::Stop);
        return 0;
    }
    const std::string destination = canonicalFolder(*target);
    if (destination == canonicalFolder(keys_.currentFolder())) {
        messenger_.show(Msg::MoveTargetSameFolder, MsgIcon::Stop);
        return 0;
    }
    size_t moved = 0;
    for (const auto& record : chosen)
        moved += moveEntry(record, destination) ? 1 : 0;
    reopen();
    return moved;
}

std::optional<DestinationListEditor::EncryptHandOver> DestinationListEditor::createEncryptFile(const std::vector<size_t>& selection)
{
    EncryptHandOver handOver;
    for (size_t index : selection)
        if (index < keys_.recordCount())
            handOver.keyFiles.push_back(keys_.currentFolder() + keys_.recordAt(index).fileName);
    if (handOver.keyFiles.empty()) {
        messenger_.show(Msg::NoPartnerSelected, MsgIcon::Exclamation);
        return std::nullopt;
    }
    handOver.plainFiles = messenger_.interaction().chooseFilesFiltered(messenger_.text(Msg::SelectFilesToEncrypt), {},
                                                                       messenger_.text(Msg::AllFilesFilter));
    if (handOver.plainFiles.empty())
        return std::nullopt;
    return handOver;
}

bool DestinationListEditor::isRegistered(const std::string& keyFilePath)
{
    const auto tag = keys_.senderTagOfKeyFile(keyFilePath);
    if (!tag)
        return false;
    for (const std::string& folder : keys_.keyFolderTree())
        for (const auto& record : CKeyManager::loadMemberFile(folder + KeyFileNames::kMemberFile))
            if (record.senderTag == static_cast<uint32_t>(*tag))
                return true;
    return false;
}

std::vector<std::string> DestinationListEditor::findCopies(const std::string& fileName) const
{
    std::vector<std::string> copies;
    const std::string name = KeyFileNames::safeFileName(fileName);
    if (name.empty())
        return copies;
    for (const std::string& folder : keys_.keyFolderTree())
        if (FileAttributes::isRegularFile(folder + name))
            copies.push_back(folder + name);
    return copies;
}

std::vector<std::string> DestinationListEditor::keyFilesIn(const std::string& folder) const
{
    const std::string shown = KeyFileNames::withTrailingSlash(folder);
    std::vector<std::string> files;
    for (const char* memberFile : {KeyFileNames::kMemberFile, KeyFileNames::kPublicMemberFile})
        for (const auto& record : CKeyManager::loadMemberFile(shown + memberFile))
            files.push_back(shown + record.fileName);
    return files;
}

std::optional<std::pair<std::string, std::string>> DestinationListEditor::lookup(const std::string& keyFilePath) const
{
    const auto record =
        MemberRecords::find(KeyFileNames::folderOf(keyFilePath), KeyFileNames::fileNameOf(keyFilePath));
    if (!record)
        return std::nullopt;
    return std::make_pair(record->displayName, record->mail);
}

} // namespace mvx

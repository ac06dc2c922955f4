#include "keys/CGenKeyDlg.h"

#include "app/Msg.h"
#include "engine/CSHA.h"
#include "keys/KeyFileNames.h"
#include "keys/KeyFileStore.h"
#include "keys/KeySetNameRules.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"

#include <string>

namespace mvx {

void CGenKeyDlg::setTargetFolder(const std::string& folder) { targetFolder_ = KeyFileNames::withTrailingSlash(folder); }

int CGenKeyDlg::acquireAndGenerateKey()
{
    key_ = RsaBlob::generate(kKeyBits);
    return key_ ? 1 : 0;
}

std::vector<uint8_t> CGenKeyDlg::keySetTag(int32_t tickCount)
{
    const std::string text = std::to_string(tickCount);
    const auto digest = CSHA::digestOf(text.data(), text.size());
    return std::vector<uint8_t>(digest.begin() + 16, digest.begin() + 16 + kKeySetTagSize);
}

int CGenKeyDlg::writePublicKeyFile(const std::string& path)
{
    if (!key_)
        return 0;
    const auto blob = RsaBlob::exportPublic(key_.get());
    return !blob.empty() && KeyFileStore::writeNew(path, KeyFileStore::framing(blob), KeyFileStore::kKeyFileMode);
}

int CGenKeyDlg::writePrivateKeyFile(const std::string& path)
{
    if (!key_)
        return 0;
    auto blob = RsaBlob::exportPrivate(key_.get());
    if (blob.empty())
        return 0;
    std::vector<uint8_t> bytes = KeyFileStore::framing(blob);
    std::fill(blob.begin(), blob.end(), 0);
    uint8_t generated[SystemTime::kSize];
    Clock::now().toBytes(generated);
    bytes.insert(bytes.end(), generated, generated + SystemTime::kSize);
    const auto tag = keySetTag(Clock::tickCount());
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    const bool written = KeyFileStore::writeNew(path, bytes, KeyFileStore::kPrivateKeyMode);
    std::fill(bytes.begin(), bytes.end(), 0);
    return written;
}

int CGenKeyDlg::writeKeyFiles()
{
    if (!writePublicKeyFile(publicKeyPath_))
        return 0;
    if (!writePrivateKeyFile(privateKeyPath_)) {
        KeyFileStore::destroy(publicKeyPath_);
        return 0;
    }
    return 1;
}

int CGenKeyDlg::generateKeySet(const std::string& name)
{
    const int nameCheck = KeySetNameRules::check(name);
    if (nameCheck != KeySetNameRules::kNameOk)
        return nameCheck == KeySetNameRules::kNameTooLong ? kNameTooLong : kForbiddenCharacter;
    const std::string publicPath = targetFolder_ + KeyFileNames::publicKeyName(name);
    const std::string privatePath = targetFolder_ + KeyFileNames::privateKeyName(name);
    // An existing key set stays as it is: refused before a key is generated.
    if (FileAttributes::exists(publicPath) || FileAttributes::exists(privatePath)) {
        messenger_.show(Msg::KeyFilesCreationFailed, MsgIcon::Stop);
        return kNotWritten;
    }
    if (!acquireAndGenerateKey())
        return kNotWritten;
    publicKeyPath_ = publicPath;
    privateKeyPath_ = privatePath;
    keySetName_ = name;
    const int written = writeKeyFiles();
    key_.reset();
    if (!written) {
        messenger_.show(Msg::KeyFilesCreationFailed, MsgIcon::Stop);
        return kNotWritten;
    }
    return kGenerated;
}

KeySetSettings CGenKeyDlg::settingsForNewSet() const
{
    return {targetFolder_, KeyFileNames::publicKeyName(keySetName_), KeyFileNames::privateKeyName(keySetName_),
            keySetName_ + KeyFileNames::kMemberListSuffix};
}

std::optional<std::string> CGenKeyDlg::generateNewKeys(const std::string& programFolder, const OldDialogHooks& hooks)
{
    if (!acquireAndGenerateKey()) {
        messenger_.show(Msg::CouldNotGenerateKeySet, MsgIcon::Stop);
        return std::nullopt;
    }
    setTargetFolder(programFolder);
    std::string name;
    for (;;) {
        const std::optional<std::string> answer = hooks.askName ? hooks.askName() : std::nullopt;
        if (!answer)
            return std::nullopt;
        const auto verdict = KeySetNameRules::checkForOldDialog(*answer, targetFolder_, messenger_);
        if (verdict == KeySetNameRules::OldDialogVerdict::Ended)
            return std::nullopt;
        if (verdict == KeySetNameRules::OldDialogVerdict::Accepted) {
            name = *answer;
            break;
        }
    }
    keySetName_ = name;
    publicKeyPath_ = targetFolder_ + KeyFileNames::publicKeyName(name);
    privateKeyPath_ = targetFolder_ + KeyFileNames::privateKeyName(name);
    if (hooks.saveSettings)
        hooks.saveSettings(settingsForNewSet());
    const int written = writeKeyFiles();
    key_.reset();
    if (!written) {
        messenger_.show(Msg::KeyFilesCreationFailed, MsgIcon::Stop);
        return std::nullopt;
    }
    const std::string text = messenger_.text(Msg::RememberToSendNewPublicKey) + publicKeyPath_ + "\n" +
                             privateKeyPath_ + "\n" +
                             messenger_.format(Msg::SummaryPublicKey, KeyFileNames::publicKeyName(name)) + "\n" +
                             messenger_.format(Msg::SummaryPrivateKey, KeyFileNames::privateKeyName(name)) + "\n" +
                             messenger_.format(Msg::SummaryAuthenticationKey, KeyFileNames::authKeyName(name, name));
    if (messenger_.askYesNo(Msg::KeySetCreatedSendNow, MsgIcon::Question) && hooks.sendPublicKey)
        hooks.sendPublicKey(publicKeyPath_, messenger_.text(Msg::MailSubjectPublicKey),
                            messenger_.text(Msg::MailBodyPublicKey));
    keysGenerated_ = true;
    return text;
}

bool CGenKeyDlg::backupKeys(const KeySetSettings& settings)
{
    if (settings.publicKeyName.empty() || settings.privateKeyName.empty()) {
        messenger_.show(Msg::NoKeyFiles, MsgIcon::Stop);
        return false;
    }
    const auto folder = messenger_.interaction().chooseFolder(messenger_.text(Msg::ChooseAFolder), settings.keyPairRoot);
    if (!folder)
        return false;
    const std::string target = KeyFileNames::withTrailingSlash(*folder);
    const std::string root = KeyFileNames::withTrailingSlash(settings.keyPairRoot);
    for (const std::string& name : {settings.publicKeyName, settings.privateKeyName})
        if (!FileAttributes::copyReplacing(root + name, target + name)) {
            messenger_.show(Msg::FileWasNotFound, MsgIcon::Stop, root + name);
            return false;
        }
    messenger_.showText(messenger_.text(Msg::KeySaved) + messenger_.text(Msg::UseOldKeysHint) +
                            messenger_.text(Msg::UseOldKeysHintEnd),
                        MsgIcon::Information);
    return true;
}

} // namespace mvx

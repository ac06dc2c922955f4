#include "keys/KeySetGenerator.h"

#include "app/Msg.h"
#include "engine/CSHA.h"
#include "keys/KeyFileNames.h"
#include "keys/KeyFileStore.h"
#include "keys/KeySetNameRules.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"

#include <string>

namespace mvx {

void KeySetGenerator::setTargetFolder(const std::string& folder) { targetFolder_ = KeyFileNames::withTrailingSlash(folder); }

int KeySetGenerator::acquireAndGenerateKey()
{
    key_ = RsaBlob::generate(kKeyBits);
    return key_ ? 1 : 0;
}

std::vector<uint8_t> KeySetGenerator::keySetTag(int32_t tickCount)
{
    const std::string text = std::to_string(tickCount);
    const auto digest = CSHA::digestOf(text.data(), text.size());
    return std::vector<uint8_t>(digest.begin() + 16, digest.begin() + 16 + kKeySetTagSize);
}

int KeySetGenerator::writePublicKeyFile(const std::string& path)
{
    if (!key_)
        return 0;
    const auto blob = RsaBlob::exportPublic(key_.get());
    return !blob.empty() && KeyFileStore::writeNew(path, KeyFileStore::framing(blob), KeyFileStore::kKeyFileMode);
}

int KeySetGenerator::writePrivateKeyFile(const std::string& path)
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

int KeySetGenerator::writeKeyFiles()
{
    if (!writePublicKeyFile(publicKeyPath_))
        return 0;
    if (!writePrivateKeyFile(privateKeyPath_)) {
        KeyFileStore::destroy(publicKeyPath_);
        return 0;
    }
    return 1;
}

int KeySetGenerator::generateKeySet(const std::string& name)
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

KeySetSettings KeySetGenerator::settingsForNewSet() const
{
    return {targetFolder_, KeyFileNames::publicKeyName(keySetName_), KeyFileNames::privateKeyName(keySetName_),
            keySetName_ + KeyFileNames::kMemberListSuffix};
}

} // namespace mvx

#include "workbench/CreatorAuthentication.h"

#include "app/Msg.h"
#include "engine/ContainerReader.h"
#include "keys/KeyFileNames.h"
#include "keys/KeyFileStore.h"
#include "keys/MemberRecords.h"
#include "platform/FileAttributes.h"
#include "platform/FileIo.h"
#include "platform/SecureDelete.h"

#include <fcntl.h>

namespace mvx {

namespace {

constexpr uint32_t kMaxBlobLength = 16 * 1024;

bool isKeyFragment(const std::string& path) { return KeyFileNames::endsWithNoCase(path, ".kbky"); }

// A file name made from the sender's name: folder parts and hidden names removed.
std::string keyNameFor(const std::string& senderName)
{
    std::string name;
    for (char c : senderName)
        name += (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) ? '_' : c;
    while (!name.empty() && name.front() == '.')
        name.erase(name.begin());
    return name.empty() ? std::string("sender") : name;
}

} // namespace

CreatorAuthentication::CreatorAuthentication(CMessenger& messenger, IAppLauncher& launcher, CKeyManager& keys,
                                             DestinationListEditor& list, Authenticate authenticate)
    : messenger_(messenger), launcher_(launcher), keys_(keys), list_(list), authenticate_(std::move(authenticate))
{
}

std::vector<uint8_t> CreatorAuthentication::carriedPublicKey(const std::string& containerPath)
{
    FdGuard fd(::open(containerPath.c_str(), O_RDONLY | O_CLOEXEC));
    ContainerLayout layout;
    if (!fd.valid() || ContainerReader::readLayout(fd.get(), layout) != ContainerStatus::Ok ||
        !layout.trailer.hasFlag(ContainerTrailer::kFlagSenderAttachment))
        return {};
    // The reader checked that the framing ends where the records begin.
    if (layout.senderKeyLength > 4 + kMaxBlobLength)
        return {};
    std::vector<uint8_t> keyFile(static_cast<size_t>(layout.senderKeyLength));
    if (!preadFully(fd.get(), keyFile.data(), keyFile.size(), layout.senderKeyOffset))
        return {};
    return keyFile;
}

void CreatorAuthentication::afterDecryption(const Decrypted& decrypted)
{
    if (isKeyFragment(decrypted.plainPath)) {
        authenticateCreator(decrypted);
        return;
    }
    if (opensFile_) {
        if (!openAndWait(decrypted.plainPath))
            return;
        if (decrypted.batchKind == kKindSelectedItems)
            SecureDelete(decrypted.plainPath);
    }
    if (carriedPublicKey(decrypted.containerPath).empty())
        return;
    if (messenger_.askYesNo(Msg::AuthenticateCreatorQuestion, MsgIcon::Question, decrypted.senderName,
                            decrypted.senderMail))
        authenticateCreator(decrypted);
}

bool CreatorAuthentication::openAndWait(const std::string& plainPath)
{
    const auto program = launcher_.programFor(plainPath);
    if (!program)
        return false;
    if (launcher_.isRunning(*program)) {
        messenger_.show(Msg::AssociatedAppAlreadyRunning, MsgIcon::Stop);
        return false;
    }
    return launcher_.runAndWait(*program, plainPath);
}

std::string CreatorAuthentication::writeCarriedKey(const std::vector<uint8_t>& keyFile, const std::string& senderName)
{
    const std::string folder = keys_.keyFolder();
    const std::string stem = keyNameFor(senderName);
    for (int n = 1; n < 100; ++n) {
        std::string path = folder + stem;
        if (n > 1)
            path.append("_").append(std::to_string(n));
        path += KeyFileNames::kPublicEnding;
        if (FileAttributes::exists(path)) {
            if (readWholeFile(path, KeyFileStore::kMaxKeyFileSize) == keyFile)
                return path;
            continue;
        }
        return KeyFileStore::writeNew(path, keyFile, KeyFileStore::kKeyFileMode) ? path : std::string();
    }
    return {};
}

bool CreatorAuthentication::authenticateCreator(const Decrypted& decrypted)
{
    const std::vector<uint8_t> keyFile = carriedPublicKey(decrypted.containerPath);
    if (keyFile.empty())
        return false;
    const std::string keyPath = writeCarriedKey(keyFile, decrypted.senderName);
    if (keyPath.empty()) {
        messenger_.show(Msg::OutputFileCannotOpen, MsgIcon::Stop);
        return false;
    }
    if (!authenticate_ || authenticate_(keyPath).empty())
        return false;
    if (MemberRecords::find(keys_.keyFolder(), KeyFileNames::fileNameOf(keyPath)))
        return true;
    return list_.registerKeyAs(keyPath, keys_.keyFolder(), decrypted.senderName, decrypted.senderMail);
}

} // namespace mvx

#include "keys/KeyFileStore.h"

#include "engine/RsaKeyWrapper.h"
#include "keys/KeyFileNames.h"
#include "platform/FileAttributes.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"
#include "platform/SecureDelete.h"

#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

// The blob length a key file announces, or -1 when the file cannot be read.
long long announcedLength(const std::string& path, long long& fileSize)
{
    auto bytes = readWholeFile(path, KeyFileStore::kMaxKeyFileSize);
    if (!bytes || bytes->size() < 4)
        return -1;
    fileSize = static_cast<long long>(bytes->size());
    return getLe32(bytes->data());
}

bool writeExclusive(const std::string& path, const std::vector<uint8_t>& bytes, unsigned mode)
{
    FdGuard fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (!fd.valid())
        return false;
    if (!writeFully(fd.get(), bytes.data(), bytes.size()) || ::fsync(fd.get()) != 0 || !fd.close()) {
        ::unlink(path.c_str());
        return false;
    }
    if (::chmod(path.c_str(), mode) != 0) {
        ::unlink(path.c_str());
        return false;
    }
    return true;
}

} // namespace

std::vector<uint8_t> KeyFileStore::framing(const std::vector<uint8_t>& blob)
{
    std::vector<uint8_t> bytes(4 + blob.size());
    putLe32(bytes.data(), static_cast<uint32_t>(blob.size()));
    std::copy(blob.begin(), blob.end(), bytes.begin() + 4);
    return bytes;
}

bool KeyFileStore::writeNew(const std::string& path, const std::vector<uint8_t>& bytes, unsigned mode)
{
    return writeExclusive(path, bytes, mode);
}

int KeyFileStore::destroy(const std::string& path)
{
    if (!FileAttributes::exists(path))
        return SecureDeleteResult::kDestroyed;
    // Another name shares the content: it keeps its bytes and its read-only mode.
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink > 1)
        return ::unlink(path.c_str()) == 0 ? SecureDeleteResult::kNameRemovedOnly : SecureDeleteResult::kFailed;
    FileAttributes::clearReadOnly(path);
    return SecureDelete(path);
}

bool KeyFileStore::writeReplacing(const std::string& path, const std::vector<uint8_t>& bytes, unsigned mode)
{
    const std::string staged = KeyFileNames::folderOf(path) + ".mvx-new-" + KeyFileNames::fileNameOf(path);
    ::unlink(staged.c_str());
    if (!writeExclusive(staged, bytes, mode))
        return false;
    if (!destroy(path) || ::rename(staged.c_str(), path.c_str()) != 0) {
        ::unlink(staged.c_str());
        return false;
    }
    return true;
}

bool KeyFileStore::keyPairIsValid(const std::string& publicKeyPath, const std::string& privateKeyPath)
{
    long long publicSize = 0;
    long long privateSize = 0;
    const long long publicLength = announcedLength(publicKeyPath, publicSize);
    const long long privateLength = announcedLength(privateKeyPath, privateSize);
    return publicLength >= 0 && privateLength >= 0 && publicSize == publicLength + 4 &&
           privateSize == privateLength + 52;
}

bool KeyFileStore::passesKindCheck(const std::string& path)
{
    switch (KeyFileNames::kindOf(KeyFileNames::fileNameOf(path))) {
    case KeyKind::Public: {
        long long size = 0;
        const long long length = announcedLength(path, size);
        return length >= 0 && size == length + 4 && !RsaKeyWrapper::holdsPrivateKey(path);
    }
    case KeyKind::Authenticated:
        return FileAttributes::size(path) == static_cast<long long>(kAuthenticatedKeySize1024);
    default:
        return false;
    }
}

} // namespace mvx

#include "workbench/OpenInPlace.h"

#include "app/Msg.h"
#include "engine/CArchiveHistoryMan.h"
#include "engine/FileEncryptor.h"
#include "engine/KeystreamEngine.h"
#include "platform/FileAttributes.h"
#include "platform/FileIo.h"
#include "platform/FileStamp.h"
#include "platform/SecureDelete.h"
#include "platform/TextFields.h"
#include "workbench/PlainTempFolders.h"

#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

// A private folder for the plain file, destroyed with what is left in it.
class PrivateFolder {
public:
    PrivateFolder() : path_(PlainTempFolders::create()) {}
    ~PrivateFolder()
    {
        if (!path_.empty())
            PlainTempFolders::destroy(path_);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string plainNameFor(const std::string& fromRecord, const std::string& containerPath)
{
    std::string name = fromRecord;
    const size_t slash = name.rfind('/');
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") {
        const size_t containerSlash = containerPath.rfind('/');
        name = containerPath.substr(containerSlash == std::string::npos ? 0 : containerSlash + 1);
        const size_t dot = name.rfind('.');
        name = dot == std::string::npos || dot == 0 ? name + ".plain" : name.substr(0, dot);
    }
    return name;
}

bool copyRange(int in, uint64_t from, uint64_t to, int out)
{
    std::vector<uint8_t> buffer(64 * 1024);
    for (uint64_t at = from; at < to;) {
        const size_t chunk = static_cast<size_t>(std::min<uint64_t>(buffer.size(), to - at));
        if (!preadFully(in, buffer.data(), chunk, at) || !writeFully(out, buffer.data(), chunk))
            return false;
        at += chunk;
    }
    return true;
}

bool addEvent(const std::string& containerPath, const ContainerTrailer& trailer, const ContainerLayout& layout,
              uint32_t kind)
{
    CArchiveHistoryMan history;
    history.create(containerPath);
    history.setTrailerAndRecord(trailer.bytes.data(), layout.ownRecord());
    if (history.read(containerPath) != CArchiveHistoryMan::kReadOk)
        return false;
    history.addEvent(static_cast<uint32_t>(layout.ownIndex), kind);
    return history.rewrite() == CArchiveHistoryMan::kRewritten;
}

} // namespace

OpenInPlace::OpenInPlace(CMessenger& messenger, FileDecryptor& decryptor, IAppLauncher& launcher)
    : messenger_(messenger), decryptor_(decryptor), launcher_(launcher)
{
}

int OpenInPlace::open(const std::string& containerPath)
{
    std::string fileName;
    if (decryptor_.openContainer(containerPath, fileName, FileDecryptor::kPurposeDecrypt, true) == 0)
        return kNotOpened;
    PrivateFolder folder;
    if (folder.path().empty()) {
        messenger_.show(Msg::OutputFileCannotOpen, MsgIcon::Stop);
        return kNotOpened;
    }
    const std::string plainPath = folder.path() + plainNameFor(fileName, containerPath);
    decryptor_.setRecordsDecryption(false);
    const int decrypted = decryptor_.decryptBody(containerPath, plainPath);
    decryptor_.setRecordsDecryption(true);
    if (decrypted != 1)
        return kNotOpened;
    const int result = openDecrypted(containerPath, plainPath);
    SecureDelete(plainPath);
    return result;
}

int OpenInPlace::openDecrypted(const std::string& containerPath, const std::string& plainPath)
{
    const auto program = launcher_.programFor(plainPath);
    if (!program) {
        messenger_.show(Msg::OpenInPlaceNoProgram, MsgIcon::Stop, plainPath.substr(plainPath.rfind('/') + 1));
        return kNotOpened;
    }
    if (launcher_.isRunning(*program)) {
        messenger_.show(Msg::AssociatedAppAlreadyRunning, MsgIcon::Stop);
        return kNotOpened;
    }
    const auto before = FileStamp::of(plainPath);
    if (!launcher_.runAndWait(*program, plainPath)) {
        messenger_.show(Msg::OpenInPlaceNoProgram, MsgIcon::Stop, plainPath.substr(plainPath.rfind('/') + 1));
        return kNotOpened;
    }
    const ContainerLayout& layout = decryptor_.layout();
    const bool history = layout.trailer.hasFlag(ContainerTrailer::kFlagHistory);
    if (FileStamp::of(plainPath) == before) {
        if (history)
            addEvent(containerPath, layout.trailer, layout, kViewed);
        return kViewed;
    }
    if (!rewriteBody(containerPath, layout, plainPath, decryptor_.senderName(), decryptor_.senderMail(), kUpdated,
                     history)) {
        messenger_.show(Msg::ContainerUpdateFailed, MsgIcon::Stop, containerPath);
        return kNotOpened;
    }
    return kUpdated;
}

bool OpenInPlace::rewriteBody(const std::string& containerPath, const ContainerLayout& layout,
                              const std::string& plainPath, const std::string& senderName,
                              const std::string& senderMail, uint32_t historyEvent, bool recordEvent)
{
    const bool attached = layout.trailer.hasFlag(ContainerTrailer::kFlagSenderAttachment);
    FdGuard plain(::open(plainPath.c_str(), O_RDONLY | O_CLOEXEC));
    FdGuard old(::open(containerPath.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat plainStat {}, oldStat {};
    if (!plain.valid() || !old.valid() || ::fstat(plain.get(), &plainStat) != 0 || ::fstat(old.get(), &oldStat) != 0)
        return false;
    const uint64_t bodyLength = static_cast<uint64_t>(plainStat.st_size);
    if (attached && bodyLength > 0xFFFFFFFFull)
        return false;

    const size_t slash = containerPath.rfind('/');
    std::string staging = (slash == std::string::npos ? std::string() : containerPath.substr(0, slash + 1)) +
                          ".mvx-update-XXXXXX";
    FdGuard out(::mkstemp(staging.data()));
    if (!out.valid())
        return false;
    auto fail = [&staging]() {
        ::unlink(staging.c_str());
        return false;
    };
    ::fchmod(out.get(), oldStat.st_mode & 07777);

    KeystreamEngine engine;
    engine.setWordCount(KeystreamEngine::kWords);
    engine.initialise(layout.contentKey);
    if (!engine.transformFile(plain.get(), out.get()))
        return fail();
    uint64_t tailStart = layout.bodyLength;
    if (attached) {
        uint8_t names[ContainerLayout::kSenderNamesSize] = {};
        TextFields::put(names, FileEncryptor::kUserNameField,
                        TextFields::truncate(senderName, FileEncryptor::kUserNameField - 1));
        TextFields::put(names + FileEncryptor::kUserNameField, FileEncryptor::kMailField,
                        TextFields::truncate(senderMail, FileEncryptor::kMailField - 1));
        engine.transformBuffer(names, sizeof names, names);
        if (!writeFully(out.get(), names, sizeof names))
            return fail();
        tailStart += ContainerLayout::kSenderNamesSize;
    }
    if (!copyRange(old.get(), tailStart, static_cast<uint64_t>(oldStat.st_size), out.get()))
        return fail();

    ContainerTrailer trailer = layout.trailer;
    trailer.setBodyLength(static_cast<uint32_t>(bodyLength));
    struct stat outStat {};
    if (::fstat(out.get(), &outStat) != 0 ||
        !pwriteFully(out.get(), trailer.bytes.data(), ContainerTrailer::kSize,
                     static_cast<uint64_t>(outStat.st_size) - ContainerTrailer::kSize) ||
        ::fsync(out.get()) != 0 || !out.close())
        return fail();
    if (recordEvent && !addEvent(staging, trailer, layout, historyEvent))
        return fail();
    if (::rename(staging.c_str(), containerPath.c_str()) != 0)
        return fail();
    return true;
}

} // namespace mvx

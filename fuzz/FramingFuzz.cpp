// Real containers, ours and those of the separate implementation, after one
// cut, insertion or changed length field: the decryptor refuses them or
// writes exactly the plain file. Anything else stops the run.
#include "ContainerEdit.h"
#include "FuzzSupport.h"

#include "engine/EncryptionSettings.h"
#include "engine/FileDecryptor.h"
#include "engine/FileEncryptor.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

using namespace mvx;

namespace {

struct Base {
    std::vector<uint8_t> container;
    std::vector<uint8_t> plain;
};

std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// A container the reader encrypts for himself with the given options.
Base ownContainer(uint32_t optionWord, TimeLimitSetting limit)
{
    std::vector<uint8_t> plain(3000);
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<uint8_t>(i * 7 + optionWord);
    const std::string plainPath = fuzz::writeScratch("own-plain", plain.data(), plain.size());
    const std::string containerPath = plainPath + ".klx";
    FileEncryptor encryptor(fuzz::quietMessenger());
    encryptor.setSender({fuzz::vectorPath("reader.kpub"), fuzz::vectorPath("readerPrivate.kpri"), "Reader",
                         "reader@example.org", 0});
    encryptor.setRecipients({fuzz::vectorPath("reader.kpub")});
    encryptor.setOptionWord(optionWord);
    encryptor.setTimeLimit(limit);
    encryptor.resetContentKey();
    if (!encryptor.encryptBody(plainPath, containerPath, 0) ||
        !encryptor.writeContainerTail(containerPath, plainPath, kKindMainWindow))
        std::abort();
    return {fileBytes(containerPath), plain};
}

const std::vector<Base>& bases()
{
    static const std::vector<Base> all = [] {
        std::vector<Base> made;
        // The 100,000-byte vector would slow every run down a hundredfold for no new path.
        for (const char* name : {"attach", "attach_history", "empty"})
            made.push_back({fuzz::vector(std::string(name) + ".klx"), fileBytes(fuzz::vectorPath(std::string(name) + ".plain"))});
        made.push_back(ownContainer(0, {}));
        made.push_back(ownContainer(kOptionHistory, {}));
        made.push_back(ownContainer(kOptionTimeLimit, {10 * 365 * 86400u, true}));
        made.push_back(ownContainer(kOptionHistory | kOptionTimeLimit, {10 * 365 * 86400u, false}));
        return made;
    }();
    return all;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 + fuzz::ContainerEdit::kEncodedSize)
        return 0;
    const Base& base = bases()[data[0] % bases().size()];
    const auto edited = fuzz::ContainerEdit::decode(data + 1).applyTo(base.container);
    const std::string container = fuzz::writeScratch("f.klx", edited.data(), edited.size());
    const std::string output = fuzz::scratchFolder() + "f.plain";
    // One decryptor for the run: its key files are read and imported once, as in a batch.
    static FileDecryptor decryptor(fuzz::quietMessenger(), fuzz::vectorPath("reader.kpub"),
                                   fuzz::vectorPath("readerPrivate.kpri"));
    std::string fileName;
    const bool decrypted = decryptor.openContainer(container, fileName, FileDecryptor::kPurposeDecrypt, true) != 0 &&
                           decryptor.decryptBody(container, output) == 1;
    if (decrypted && fileBytes(output) != base.plain)
        __builtin_trap();  // accepted, and wrong bytes came out
    ::unlink(output.c_str());
    return 0;
}

// The whole decryptor (records, sender identity, time rules, attachment,
// history, body) on a real container with the fuzzer's bytes patched in.
#include "FuzzSupport.h"

#include "engine/FileDecryptor.h"

#include <unistd.h>

using namespace mvx;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* base = size > 0 && (data[0] & 1) ? "attach_history.klx" : "three_recipients.klx";
    const auto bytes = fuzz::patched(fuzz::vector(base), data, size);
    const std::string container = fuzz::writeScratch("c.klx", bytes.data(), bytes.size());
    const std::string output = fuzz::scratchFolder() + "plain";
    // One decryptor for the run: its key files are read and imported once, as in a batch.
    static FileDecryptor decryptor(fuzz::quietMessenger(), fuzz::vectorPath("reader.kpub"),
                                   fuzz::vectorPath("readerPrivate.kpri"));
    std::string fileName;
    if (decryptor.openContainer(container, fileName, FileDecryptor::kPurposeDecrypt, true) == 1)
        decryptor.decryptBody(container, output);
    ::unlink(output.c_str());
    return 0;
}

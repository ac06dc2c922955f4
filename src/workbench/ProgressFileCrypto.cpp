#include "workbench/ProgressFileCrypto.h"

#include <sys/stat.h>

namespace mvx {

uint64_t ProgressFileCrypto::sizeOf(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
}

int ProgressFileCrypto::encryptBody(const std::string& plainPath, const std::string& outputPath, int keySource)
{
    progress_.startFile(outputPath);
    const int result = inner_.encryptBody(plainPath, outputPath, keySource);
    progress_.fileDone(sizeOf(plainPath));
    return result;
}

int ProgressFileCrypto::decryptBody(const std::string& containerPath, const std::string& outputPath)
{
    progress_.startFile(outputPath);
    const uint64_t size = sizeOf(containerPath);
    const int result = inner_.decryptBody(containerPath, outputPath);
    progress_.fileDone(size);
    return result;
}

} // namespace mvx

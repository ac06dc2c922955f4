#include "WorkbenchDoubles.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace mvx::test {

namespace {

std::optional<std::string> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void writeFile(const std::string& path, const std::string& bytes, std::ios::openmode mode = std::ios::trunc)
{
    std::ofstream out(path, std::ios::binary | std::ios::out | mode);
    out << bytes;
}

std::string nameWithoutKlx(const std::string& path)
{
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (name.size() > 4)
        name.resize(name.size() - 4);
    return name;
}

} // namespace

int RecordingFileCrypto::encryptBody(const std::string& plainPath, const std::string& outputPath, int keySource)
{
    bodies.emplace_back(plainPath, keySource);
    const auto plain = readFile(plainPath);
    if (!plain)
        return 0;
    if (failBody.count(plainPath)) {
        writeFile(outputPath, std::string(kHeader) + plain->substr(0, plain->size() / 2));
        return 0;
    }
    writeFile(outputPath, std::string(kHeader) + *plain);
    if (midWrite)
        midWrite();
    return 1;
}

int RecordingFileCrypto::writeContainerTail(const std::string& outputPath, const std::string& plainPath, int mode)
{
    tails.push_back({plainPath, outputPath, mode, optionWord, limit, recipients});
    if (failTail.count(plainPath)) {
        writeFile(outputPath, "partial", std::ios::app);
        return 0;
    }
    std::string tail = kTailMark;
    for (const std::string& recipient : recipients)
        tail += recipient + ";";
    writeFile(outputPath, tail, std::ios::app);
    return 1;
}

std::optional<std::string> RecordingFileCrypto::plainOf(const std::string& containerPath)
{
    const auto bytes = readFile(containerPath);
    const std::string header = kHeader;
    if (!bytes || bytes->compare(0, header.size(), header) != 0)
        return std::nullopt;
    const size_t tail = bytes->rfind(kTailMark);
    if (tail == std::string::npos)
        return std::nullopt;
    return bytes->substr(header.size(), tail - header.size());
}

int RecordingFileCrypto::openContainer(const std::string& containerPath, std::string& plainFileName)
{
    opened.push_back(containerPath);
    if (throwOnOpen.count(containerPath))
        throw std::runtime_error("damaged");
    if (!plainOf(containerPath))
        return 0;
    plainFileName = nameWithoutKlx(containerPath);
    const auto it = openResults.find(containerPath);
    return it == openResults.end() ? 2 : it->second;
}

int RecordingFileCrypto::decryptBody(const std::string& containerPath, const std::string& outputPath)
{
    const auto plain = plainOf(containerPath);
    if (!plain)
        return 0;
    if (failDecrypt.count(containerPath)) {
        writeFile(outputPath, plain->substr(0, plain->size() / 2));
        return 0;
    }
    writeFile(outputPath, *plain);
    if (midWrite)
        midWrite();
    return 1;
}

} // namespace mvx::test

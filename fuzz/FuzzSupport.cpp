#include "FuzzSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

namespace mvx::fuzz {

CMessenger& quietMessenger()
{
    static CMessageTable table;
    static QuietInteraction ui;
    static CMessenger messenger(table, ui);
    return messenger;
}

const std::string& scratchFolder()
{
    // Never destroyed: the exit handler that removes the folder still needs it.
    static const std::string* folder = [] {
        const char* temp = std::getenv("TMPDIR");
        std::string pattern = std::string(temp && *temp ? temp : "/tmp") + "/mvx-fuzz-XXXXXX";
        if (!::mkdtemp(pattern.data()))
            std::abort();
        auto* made = new std::string(pattern + "/");
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(scratchFolder(), ignored);
        });
        return made;
    }();
    return *folder;
}

std::string writeScratch(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = scratchFolder() + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path;
}

std::string vectorPath(const std::string& name) { return std::string(MORVANEX_VECTORS "/containers/") + name; }

const std::vector<uint8_t>& vector(const std::string& name)
{
    static std::map<std::string, std::vector<uint8_t>> cache;
    auto& bytes = cache[name];
    if (bytes.empty()) {
        std::ifstream in(vectorPath(name), std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), {});
        if (bytes.empty())
            std::abort();  // the vectors are part of the tree
    }
    return bytes;
}

std::vector<uint8_t> patched(const std::vector<uint8_t>& base, const uint8_t* data, size_t size)
{
    if (size == 0)
        return base;
    const size_t cut = std::min<size_t>(data[0], base.size());
    std::vector<uint8_t> bytes(base.begin() + static_cast<long>(cut), base.end());
    for (size_t i = 1; i + 3 <= size && !bytes.empty(); i += 3) {
        const size_t back = (data[i] | (data[i + 1] << 8)) % bytes.size();
        bytes[bytes.size() - 1 - back] ^= data[i + 2];
    }
    return bytes;
}

} // namespace mvx::fuzz

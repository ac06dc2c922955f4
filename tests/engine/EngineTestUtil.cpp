#include "EngineTestUtil.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace mvx::test {

TempDir::TempDir()
{
    std::random_device rd;
    path_ = std::filesystem::temp_directory_path() / ("mvx-test-" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ec;
    // Key files are written read-only; give write permission back so the folder can go.
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::vector<uint8_t> readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::string& path, const std::vector<uint8_t>& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::vector<uint8_t> fromHex(const std::string& hex)
{
    std::vector<uint8_t> out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::string toHex(const uint8_t* data, size_t length)
{
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < length; ++i) {
        s += digits[data[i] >> 4];
        s += digits[data[i] & 15];
    }
    return s;
}

std::string vectorPath(const std::string& relative) { return std::string(MORVANEX_TEST_DATA_DIR) + "/" + relative; }

} // namespace mvx::test

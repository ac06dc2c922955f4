#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace mvx::test {

// A fresh folder below the system temp folder, removed with its contents at the end of the test.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

std::vector<uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const std::vector<uint8_t>& data);
std::vector<uint8_t> fromHex(const std::string& hex);
std::string toHex(const uint8_t* data, size_t length);
std::string vectorPath(const std::string& relative);

} // namespace mvx::test

#pragma once

#include <filesystem>
#include <fstream>
#include <string>

namespace mvx::test {

// A fresh folder under the system's temporary folder, removed at the end.
class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "mvx-app-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempFolder()
    {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with a trailing "/".
    std::string slash() const { return path_ + "/"; }
    const std::string& path() const { return path_; }

    void write(const std::string& name, const std::string& content) const
    {
        std::ofstream(slash() + name, std::ios::binary) << content;
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(slash() + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

private:
    std::string path_;
};

} // namespace mvx::test

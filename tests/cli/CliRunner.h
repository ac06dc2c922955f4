#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace mvx::test {

// Runs morvanex-cli as a separate process with its own program folder.
struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class CliUser {
public:
    CliUser(const std::filesystem::path& root, const std::string& name);
    CliResult run(const std::vector<std::string>& args, const std::string& input = "") const;
    // run with the given working folder (for relative file names).
    CliResult runIn(const std::filesystem::path& workingFolder, const std::vector<std::string>& args) const;
    // init with the key root below this user's folder.
    CliResult init(const std::string& userName, const std::string& mail) const;
    const std::filesystem::path& folder() const { return folder_; }
    std::filesystem::path keyRoot() const { return folder_ / "keys"; }
    std::filesystem::path keyFolder() const { return keyRoot() / ("KeyList_" + name_); }
    std::filesystem::path publicKey() const { return keyRoot() / (name_ + ".kpub"); }
    const std::string& name() const { return name_; }

private:
    std::filesystem::path folder_;
    std::string name_;
};

CliResult runCli(const std::vector<std::string>& args, const std::string& input = "",
                 const std::filesystem::path& workingFolder = {});

} // namespace mvx::test

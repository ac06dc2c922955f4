#pragma once

#include "platform/DriveKind.h"

#include <cstdint>
#include <optional>
#include <string>

namespace mvx {

// The file-system facts the folder rules of the options ask for; the tests
// give their own answers.
class IFolderFacts {
public:
    virtual ~IFolderFacts() = default;
    virtual bool folderExists(const std::string& folder) const = 0;
    // "/" or a mount point: what a drive root is on Windows.
    virtual bool isDriveRoot(const std::string& folder) const = 0;
    virtual DriveKind driveKind(const std::string& folder) const = 0;
    // The device of a path; nothing when it cannot be told.
    virtual std::optional<uint64_t> deviceId(const std::string& path) const = 0;
    virtual std::string homeFolder() const = 0;
    // The path with links, "." and ".." resolved where it exists.
    virtual std::string canonical(const std::string& path) const = 0;
};

// The facts of this machine.
class SystemFolderFacts : public IFolderFacts {
public:
    bool folderExists(const std::string& folder) const override;
    bool isDriveRoot(const std::string& folder) const override;
    DriveKind driveKind(const std::string& folder) const override;
    std::optional<uint64_t> deviceId(const std::string& path) const override;
    std::string homeFolder() const override;
    std::string canonical(const std::string& path) const override;
};

} // namespace mvx

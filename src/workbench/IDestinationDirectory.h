#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mvx {

// What the batches ask of the destination list; the key manager implements it.
class IDestinationDirectory {
public:
    struct Entry {
        std::string userName;
        std::string mail;
    };

    virtual ~IDestinationDirectory() = default;
    // The key files listed for a key folder (a destination ending in "/").
    virtual std::vector<std::string> keyFilesIn(const std::string& folder) = 0;
    // The registered name and mail address of a key file; nullopt when unlisted.
    virtual std::optional<Entry> lookup(const std::string& keyFile) = 0;
};

} // namespace mvx

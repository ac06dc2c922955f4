#pragma once

#include "workbench/IDestinationDirectory.h"

namespace mvx {

// The destination list as the batches ask it: read from the member files of
// the key folders, without changing the folder the key manager has open.
class KeyManagerDirectory : public IDestinationDirectory {
public:
    std::vector<std::string> keyFilesIn(const std::string& folder) override;
    std::optional<Entry> lookup(const std::string& keyFile) override;
};

} // namespace mvx

#pragma once

#include <string>
#include <vector>

namespace mvx {

// What a drop on the mini window hands on besides the batches: public keys to
// register in the destination list, key fragment files to the key repair.
class IKeyDropHandler {
public:
    virtual ~IKeyDropHandler() = default;
    virtual void registerPublicKeys(const std::vector<std::string>& keyFiles) = 0;
    virtual void repairFromFragments(const std::vector<std::string>& fragmentFiles) = 0;
};

} // namespace mvx

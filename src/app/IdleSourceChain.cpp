#include "app/IdleSourceChain.h"

#include <utility>

namespace mvx {

void IdleSourceChain::add(std::string name, Probe probe) { sources_.push_back({std::move(name), std::move(probe)}); }

std::optional<int64_t> IdleSourceChain::seconds()
{
    for (const Source& source : sources_) {
        if (const auto idle = source.probe()) {
            answering_ = source.name;
            return idle;
        }
    }
    return std::nullopt;
}

std::vector<std::string> IdleSourceChain::names() const
{
    std::vector<std::string> names;
    for (const Source& source : sources_)
        names.push_back(source.name);
    return names;
}

} // namespace mvx

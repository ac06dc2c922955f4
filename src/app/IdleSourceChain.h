#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// The desktop's idle time from the first of several sources that answers:
// each is asked in order at every reading, so a source that stops answering
// (a service restarted) gives way to the next until it is back.
class IdleSourceChain {
public:
    // Seconds since the user's last input anywhere on the desktop; nothing
    // when the source cannot tell.
    using Probe = std::function<std::optional<int64_t>()>;

    void add(std::string name, Probe probe);

    std::optional<int64_t> seconds();
    // The source of the last reading that had an answer (empty before one).
    const std::string& answering() const { return answering_; }
    std::vector<std::string> names() const;
    bool empty() const { return sources_.empty(); }

private:
    struct Source {
        std::string name;
        Probe probe;
    };
    std::vector<Source> sources_;
    std::string answering_;
};

} // namespace mvx

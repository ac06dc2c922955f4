#pragma once

#include <set>
#include <string>

namespace mvx {

// Hidden partial outputs that a killed run left in an output folder are
// removed the first time a batch writes there (those of processes that no
// longer run; see StaleTemporaries).
class StaleOutputSweep {
public:
    // Before an output is written: sweeps its folder once per batch.
    void before(const std::string& outputPath);

private:
    std::set<std::string> swept_;
};

} // namespace mvx

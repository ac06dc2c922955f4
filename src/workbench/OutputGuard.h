#pragma once

#include <string>

namespace mvx {

// Keeps an existing file safe while a new one is written under its name:
// the old file is moved aside first. commit() drops the old file once the
// new one is complete; without commit the partial new file is removed and
// the old one put back.
class OutputGuard {
public:
    explicit OutputGuard(std::string target);
    ~OutputGuard();
    OutputGuard(const OutputGuard&) = delete;
    OutputGuard& operator=(const OutputGuard&) = delete;

    // False when an existing file could not be moved aside (nothing may be written then).
    bool ready() const { return ready_; }
    void commit();

private:
    std::string target_;
    std::string aside_;
    bool ready_ = true;
    bool committed_ = false;
};

} // namespace mvx

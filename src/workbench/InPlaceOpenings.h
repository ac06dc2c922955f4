#pragma once

#include <mutex>
#include <set>
#include <string>

namespace mvx {

class AppSession;

// Containers the window opens in place. Each open runs on its own thread
// while the associated program is in use; a container already open is
// refused until that program has ended, so two copies of its plain text
// never race to be written back.
class InPlaceOpenings {
public:
    // The session's key set of the moment opens each container.
    explicit InPlaceOpenings(AppSession& session) : session_(session) {}

    // OpenInPlace's result (kNotOpened after a message, kUpdated, kViewed).
    // Safe to call from several threads at once.
    int open(const std::string& containerPath);
    bool isOpen(const std::string& containerPath) const;

private:
    bool begin(const std::string& containerPath);
    void end(const std::string& containerPath);

    AppSession& session_;
    mutable std::mutex mutex_;
    std::set<std::string> open_;
};

} // namespace mvx

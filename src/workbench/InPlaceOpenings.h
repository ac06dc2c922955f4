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
    // Where the own key set lies when an open starts.
    struct KeySetPlace {
        std::string root, publicKeyName, privateKeyName;
    };

    explicit InPlaceOpenings(AppSession& session) : session_(session) {}

    // Read on the session's thread, before the open's thread starts.
    KeySetPlace keySetOfNow() const;
    // OpenInPlace's result (kNotOpened after a message, kUpdated, kViewed).
    // Safe to call from several threads at once: each open reads the key set
    // into a key manager of its own, so a batch or a change of key set while
    // the program is in use does not touch it.
    int open(const std::string& containerPath, const KeySetPlace& keySet);
    bool isOpen(const std::string& containerPath) const;

private:
    bool begin(const std::string& containerPath);
    void end(const std::string& containerPath);

    AppSession& session_;
    mutable std::mutex mutex_;
    std::set<std::string> open_;
};

} // namespace mvx

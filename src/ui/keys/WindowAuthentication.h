#pragma once

#include "keys/AuthExpiryRules.h"

#include <string>
#include <vector>

class QWidget;

namespace mvx {
class AppSession;
class IMailHandOver;
}

namespace mvx::ui {

// The authentication command with its dialogs: key selection, expiry,
// completion. The expiry's choices and the folder of the key selection are
// kept for the next run while the program runs.
class WindowAuthentication {
public:
    WindowAuthentication(AppSession& session, IMailHandOver& mail, QWidget* parent);

    // With no key files the key is chosen in the key-selection dialog. Returns
    // the last authenticated key made, or empty.
    std::string run(const std::vector<std::string>& keyFiles);

private:
    AppSession& session_;
    IMailHandOver& mail_;
    QWidget* parent_;
    mvx::AuthExpiryRules limits_;
    std::string folder_;
};

} // namespace mvx::ui

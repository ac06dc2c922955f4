#pragma once

#include "app/CommandLine.h"

#include <string>
#include <vector>

namespace mvx {

// What the start-up sequence asks of the front end: the windows and the
// dialogs that belong to them.
class IAppFrame {
public:
    virtual ~IAppFrame() = default;

    // No key set yet: the key-set wizard.
    virtual void offerKeySetWizard() = 0;
    // The key set named by the settings is gone and the user wants to find
    // it: the folder browser for the moved key set.
    virtual void locateMovedKeySet() = 0;
    // The authenticated keys whose time has run out.
    virtual void reportOutdatedKeys() = 0;
    virtual void showMainWindow() = 0;
    // The mini window first; the main window follows when it ends with OK.
    virtual void showMiniWindow() = 0;
    // A second plain start asked for the window, with the activation token
    // its launcher gave it (empty when none). Called on another thread.
    virtual void bringToFront(const std::string& activationToken) = 0;
    // Paths for the studio list (a single path on the command line).
    virtual void addToStudio(const std::vector<std::string>& paths) = 0;
    // A file manager's request (-E -D -T -H -K -R) on the handed-over paths;
    // the program ends when it is done. False when nothing was started and
    // the program ends at once.
    virtual bool serveShellRequest(CommandLine::Switch kind, const std::vector<std::string>& paths) = 0;
};

} // namespace mvx

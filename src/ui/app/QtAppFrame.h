#pragma once

#include "workbench/IAppFrame.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace mvx {
class AppSession;
}

namespace mvx::ui {

class CTessaryDlg;
class QtInteraction;

// The windows of the start-up sequence. The main window is made when it is
// first shown, after the start-up has read the settings and key set again.
class QtAppFrame : public IAppFrame {
public:
    // closed: the main window has closed (runs from the event loop).
    QtAppFrame(AppSession& session, QtInteraction& dialogs, std::function<void()> closed);
    ~QtAppFrame() override;

    void offerKeySetWizard() override;
    void locateMovedKeySet() override;
    // With the stray keys of the key folder, once the main window shows.
    void reportOutdatedKeys() override;
    void showMainWindow() override;
    void showMiniWindow() override;
    void bringToFront(const std::string& activationToken) override;
    void addToStudio(const std::vector<std::string>& paths) override;
    // -E, -D, -K run in the main window, -H and -T open the history and
    // forwarding windows; the main window closes when they are done.
    bool serveShellRequest(CommandLine::Switch kind, const std::vector<std::string>& paths) override;

    // nullptr before the first window was shown.
    CTessaryDlg* window() const { return window_.get(); }

private:
    CTessaryDlg& makeWindow();

    AppSession& session_;
    QtInteraction& dialogs_;
    std::function<void()> closed_;
    std::unique_ptr<CTessaryDlg> window_;
    std::vector<std::string> studioPaths_;
    bool reportKeys_ = false;
};

} // namespace mvx::ui

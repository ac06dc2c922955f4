// A headless stand-in for the window program, for the single-instance tests:
// the real start-up sequence and instance rule, with every message printed on
// standard output, -E answered with the own key and the window a line of text.
// Usage: mvx_instance_probe HOME [ARGUMENTS...]; a running window ends when
// standard input ends.
#include "app/IClipboardText.h"
#include "app/SingleInstance.h"
#include "workbench/AppSession.h"
#include "workbench/CTessaryApp.h"
#include "workbench/IAppFrame.h"
#include "workbench/IEncryptChooser.h"
#include "workbench/WorkbenchCommands.h"
#include "workbench/WorkbenchSession.h"

#include "ScriptedInteraction.h"

#include <cstdio>
#include <iostream>
#include <mutex>

namespace {

std::mutex outputLock;

void say(const std::string& line)
{
    std::lock_guard lock(outputLock);
    std::cout << line << std::endl;
}

struct PrintingInteraction : mvx::test::ScriptedInteraction {
    void showMessage(const std::string& text, mvx::MsgIcon icon, const std::string& caption) override
    {
        say("message: " + text);
        ScriptedInteraction::showMessage(text, icon, caption);
    }
};

struct EmptyClipboard : mvx::IClipboardText {
    std::optional<std::string> text(Failure& failure) override
    {
        failure = Failure::NoText;
        return std::nullopt;
    }
    void clear() override {}
};

struct ProbeFrame : mvx::IAppFrame {
    explicit ProbeFrame(mvx::AppSession& session) : session(session) {}
    void offerKeySetWizard() override {}
    void locateMovedKeySet() override {}
    void reportOutdatedKeys() override {}
    void showMainWindow() override { say("window"); }
    void showMiniWindow() override { say("window"); }
    void bringToFront(const std::string& token) override { say(token.empty() ? "front" : "front " + token); }
    void addToStudio(const std::vector<std::string>& paths) override
    {
        for (const std::string& path : paths)
            say("studio: " + path);
    }
    bool serveShellRequest(mvx::CommandLine::Switch kind, const std::vector<std::string>& paths) override
    {
        mvx::WorkbenchSession workbench(session.messenger(), session.settings(), session.keys(),
                                        session.settingsFound());
        mvx::PresetEncryptChooser own({{workbench.context().keys.selfAuthKeyFile}, {}, false});
        workbench.context().chooser = &own;
        mvx::WorkbenchCommands(workbench.context()).shellRequest(kind, paths);
        return false;
    }
    mvx::AppSession& session;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    PrintingInteraction ui;
    mvx::AppSession session(ui, argv[1], "en");
    ProbeFrame frame(session);
    mvx::CTessaryApp app(session, frame, session.folder() + "data");
    mvx::SingleInstance instance(session.folder());
    EmptyClipboard clipboard;
    if (!app.start(mvx::CommandLine::parse({argv + 2, argv + argc}), instance, clipboard))
        return 0;
    for (std::string line; std::getline(std::cin, line);) {
    }
    app.shutDown(false);
    say("ended");
    return 0;
}

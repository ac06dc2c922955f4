#include "cli/ContainerCommands.h"

#include "cli/CliSession.h"
#include "cli/InterruptCleanup.h"
#include "engine/FileDecryptor.h"
#include "keys/KeyFolderSenderDirectory.h"
#include "keys/StrayKeys.h"
#include "platform/AppLauncher.h"
#include "workbench/ForwardFile.h"
#include "workbench/HistoryViewer.h"
#include "workbench/MailUsesHandOver.h"
#include "workbench/OpenInPlace.h"
#include "workbench/PlainTempFolders.h"

#include <algorithm>
#include <ostream>

namespace mvx::cli {

const char* const kHistoryUsage =
    "usage: morvanex-cli history CONTAINER\n"
    "Prints the history a container carries, one event a line: date, operation, user\n"
    "name, mail address (tab-separated).\n";
const char* const kForwardUsage =
    "usage: morvanex-cli forward CONTAINER --to ADDRESS...\n"
    "Hands one mail with the container attached to the mail program (xdg-email, or\n"
    "$MORVANEX_MAILER), addressed to the given addresses; each must be recorded in the\n"
    "container's history.\n";
const char* const kOpenUsage =
    "usage: morvanex-cli open CONTAINER\n"
    "Decrypts the container into a private temporary folder, opens the plain file with\n"
    "the program associated with its type ($MORVANEX_OPENER names another program) and\n"
    "waits for it to end. A changed file is encrypted back into the container. Prints\n"
    "\"updated\" or \"viewed\". Interrupted (SIGINT, SIGTERM, SIGHUP), it destroys the\n"
    "temporary plain file before it ends; one left by an earlier run that could not\n"
    "(killed, power cut) is destroyed at the next open.\n";

namespace {

bool singleContainer(CliContext& context, const CommandArgs& args, const char* usage, ParsedArgs& parsed,
                     const std::vector<std::string>& valueOptions = {})
{
    if (!parseArgs(args, valueOptions, {}, parsed, *context.err))
        return false;
    if (parsed.positional.size() != 1) {
        *context.err << usage;
        return false;
    }
    return true;
}

// The chooser of a dialog the command line answers once: a second showing
// (after a refusal) is cancelled.
ContainerChooser firstContainerOnce()
{
    auto shown = std::make_shared<int>(0);
    return [shown](const std::vector<ContainerRow>& rows) {
        if ((*shown)++ > 0 || rows.empty())
            return ContainerChoice{};
        return ContainerChoice{true, 0};
    };
}

} // namespace

int runHistory(CliContext& context, const CommandArgs& args)
{
    ParsedArgs parsed;
    if (!singleContainer(context, args, kHistoryUsage, parsed))
        return ExitUsage;
    CliSession session(context);
    if (!session.requireKeySet())
        return ExitFailed;
    HistoryViewer viewer(session.messenger(), session.keys().ownPublicKeyPath(), session.keys().ownPrivateKeyPath(),
                         firstContainerOnce());
    const auto view = viewer.run({absolutePath(parsed.positional[0])});
    if (!view)
        return ExitFailed;
    for (const auto& row : view->rows)
        session.out() << resultField(row.date) << '\t' << resultField(row.operation) << '\t'
                      << resultField(row.userName) << '\t' << resultField(row.mail) << '\n';
    return ExitOk;
}

int runForward(CliContext& context, const CommandArgs& args)
{
    ParsedArgs parsed;
    if (!singleContainer(context, args, kForwardUsage, parsed, {"--to"}))
        return ExitUsage;
    const std::vector<std::string> wanted = parsed.values("--to");
    if (wanted.empty()) {
        *context.err << kForwardUsage;
        return ExitUsage;
    }
    CliSession session(context);
    if (!session.requireKeySet())
        return ExitFailed;
    auto asked = std::make_shared<int>(0);
    auto pick = [wanted, asked](const std::vector<CArchiveHistoryMan::NameEntry>& names)
        -> std::optional<std::vector<size_t>> {
        if ((*asked)++ > 0)
            return std::nullopt;
        std::vector<size_t> picked;
        for (size_t i = 0; i < names.size(); ++i)
            if (std::find(wanted.begin(), wanted.end(), names[i].mail) != wanted.end())
                picked.push_back(i);
        return picked;
    };
    MailUsesHandOver mail(&session.messenger());
    ForwardFile forward(session.messenger(), session.keys().ownPublicKeyPath(), session.keys().ownPrivateKeyPath(),
                        firstContainerOnce(), pick, mail);
    return forward.run({absolutePath(parsed.positional[0])}) ? ExitOk : ExitFailed;
}

int runOpen(CliContext& context, const CommandArgs& args)
{
    ParsedArgs parsed;
    if (!singleContainer(context, args, kOpenUsage, parsed))
        return ExitUsage;
    // The plain text of an open that was killed or lost its power goes now.
    PlainTempFolders::sweepLeftovers();
    InterruptCleanup interrupted;
    CliSession session(context);
    if (!session.requireKeySet())
        return ExitFailed;
    CKeyManager& keys = session.keys();
    // Keys lying unlisted in the key folder may name the sender.
    StrayKeys(session.messenger(), keys).offer();
    FileDecryptor decryptor(session.messenger(), keys.ownPublicKeyPath(), keys.ownPrivateKeyPath());
    KeyFolderSenderDirectory senders(keys);
    decryptor.setSenderDirectory(&senders);
    DesktopLauncher launcher;
    OpenInPlace opener(session.messenger(), decryptor, launcher);
    switch (opener.open(absolutePath(parsed.positional[0]))) {
    case OpenInPlace::kUpdated: session.out() << "updated\n"; return ExitOk;
    case OpenInPlace::kViewed: session.out() << "viewed\n"; return ExitOk;
    default: return ExitFailed;
    }
}

} // namespace mvx::cli

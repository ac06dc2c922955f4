#include "cli/KeyCommands.h"

#include "app/Msg.h"
#include "cli/CliSession.h"
#include "cli/DestinationCommands.h"
#include "keys/AuthExpiryRules.h"
#include "keys/KeyAuthenticator.h"
#include "keys/KeyFileNames.h"
#include "keys/KeySetSetup.h"
#include "platform/Clock.h"
#include "platform/FileAttributes.h"

#include <cinttypes>
#include <cstdio>
#include <ostream>

namespace mvx::cli {

const char* const kInitUsage =
    "usage: morvanex-cli init --key-root DIR --key-name NAME --user USER --mail ADDRESS\n"
    "Makes a key set as the key-set wizard does: the public and private key files in\n"
    "DIR, the settings, the key folder with the personal information, and the\n"
    "self-authentication key. An existing key set is never changed.\n";
const char* const kWhoamiUsage =
    "usage: morvanex-cli whoami\n"
    "Prints the key-set name, key root, key folder, user name, mail address and the\n"
    "fingerprint of the own public key, one per line as NAME<TAB>VALUE.\n";
const char* const kAuthUsage =
    "usage: morvanex-cli auth PUBLIC-KEY [--expires none|month|year|year-end|fiscal-year-end|YYYY-MM-DD]\n"
    "Authenticates a partner's (or one's own) public key and prints the path of the\n"
    "authenticated key made. The default is no expiry.\n";
const char* const kKeysUsage =
    "usage: morvanex-cli keys list [FOLDER]\n"
    "       morvanex-cli keys add FILE [--name NAME] [--mail ADDRESS] [--folder FOLDER]\n"
    "       morvanex-cli keys modify KEYFILE [--folder FOLDER] [--name NAME] [--mail ADDRESS] [--to FOLDER]\n"
    "       morvanex-cli keys delete KEYFILE... [--folder FOLDER]\n"
    "       morvanex-cli keys move KEYFILE... [--folder FOLDER] --to FOLDER\n"
    "       morvanex-cli keys mkdir NAME [--folder FOLDER]\n"
    "       morvanex-cli keys rmdir FOLDER\n"
    "       morvanex-cli keys outdated\n"
    "       morvanex-cli keys stray [--list]\n"
    "list prints the destination list of a folder (default: the key folder), one entry\n"
    "a line: name, mail, key file name, registration time, expiry, last use (tab-separated).\n"
    "add registers a key file in the destination list of the folder (an authenticated key\n"
    "gives its issuer's name and mail when none are given); modify changes an entry's name,\n"
    "mail or folder; delete removes entries and destroys their key files; move moves entries\n"
    "to another folder of the key-folder tree; mkdir makes a folder in FOLDER; rmdir deletes\n"
    "a folder with every key in it; outdated lists authenticated keys whose expiry has passed\n"
    "(name, key file, expiry, folder); stray registers key files lying in the tree unlisted\n"
    "(--list only lists them). KEYFILE is a key file name in the folder.\n";

namespace {

// Applies an --expires choice to the expiry dialog's state; false when the word is unknown.
bool chooseExpiry(const std::string& choice, AuthExpiryRules& limits)
{
    limits.noLimit = choice.empty() || choice == "none";
    if (limits.noLimit)
        return true;
    const char* presets[] = {"month", "year", "year-end", "fiscal-year-end"};
    for (int i = 0; i < 4; ++i) {
        if (choice == presets[i]) {
            limits.usePreset = true;
            limits.presetIndex = i;
            return true;
        }
    }
    int y = 0, m = 0, d = 0;
    if (std::sscanf(choice.c_str(), "%d-%d-%d", &y, &m, &d) != 3 || m < 1 || m > 12 || d < 1 || d > 31)
        return false;
    limits.usePreset = false;
    limits.calendarDate = SystemTime{};
    limits.calendarDate.year = static_cast<uint16_t>(y);
    limits.calendarDate.month = static_cast<uint16_t>(m);
    limits.calendarDate.day = static_cast<uint16_t>(d);
    return true;
}

} // namespace

int runInit(CliContext& context, const CommandArgs& args)
{
    ParsedArgs parsed;
    if (!parseArgs(args, {"--key-root", "--key-name", "--user", "--mail"}, {}, parsed, *context.err))
        return ExitUsage;
    if (!parsed.positional.empty() || !parsed.has("--key-root") || !parsed.has("--key-name") ||
        !parsed.has("--user")) {
        *context.err << kInitUsage;
        return ExitUsage;
    }
    CliSession session(context);
    const std::string root = absolutePath(parsed.value("--key-root"));
    const auto result = session.app().makeKeySet({KeyFileNames::withTrailingSlash(root), parsed.value("--key-name"),
                                                  parsed.value("--user"), parsed.value("--mail")});
    if (!result.done)
        return ExitFailed;
    session.out() << result.keyFolder << '\n' << result.selfAuthKeyPath << '\n';
    return ExitOk;
}

int runWhoami(CliContext& context, const CommandArgs& args)
{
    if (!args.empty()) {
        *context.err << kWhoamiUsage;
        return ExitUsage;
    }
    CliSession session(context);
    if (!session.requireKeySet())
        return ExitFailed;
    CKeyManager& keys = session.keys();
    char fingerprint[20];
    std::snprintf(fingerprint, sizeof fingerprint, "%016" PRIX64, keys.ownFingerprint());
    session.out() << "key-set\t" << keys.owner() << "\nkey-root\t" << keys.keyRoot() << "\nkey-folder\t"
                  << keys.keyFolder() << "\nuser\t" << keys.userName() << "\nmail\t" << keys.mail()
                  << "\nfingerprint\t" << fingerprint << '\n';
    return ExitOk;
}

int runAuth(CliContext& context, const CommandArgs& args)
{
    ParsedArgs parsed;
    if (!parseArgs(args, {"--expires"}, {}, parsed, *context.err))
        return ExitUsage;
    if (parsed.positional.size() != 1) {
        *context.err << kAuthUsage;
        return ExitUsage;
    }
    CliSession session(context);
    if (!session.requireKeySet())
        return ExitFailed;
    CKeyManager& keys = session.keys();
    const std::string expiry = parsed.value("--expires");
    KeyAuthenticator::Dialogs dialogs;
    bool expiryUnderstood = true;
    dialogs.askExpiry = [&](AuthExpiryRules& limits) {
        expiryUnderstood = chooseExpiry(expiry, limits);
        return expiryUnderstood && limits.enforce(session.messenger());
    };
    dialogs.complete = [](const std::vector<std::string>&, const std::vector<std::string>&) { return false; };
    KeyAuthenticator authenticator(session.messenger(),
                                   {keys.ownPublicKeyPath(), keys.ownPrivateKeyPath(), keys.userName(), keys.mail(),
                                    keys.keyFolder(), {}},
                                   dialogs);
    const std::string made = authenticator.authenticate({absolutePath(parsed.positional[0])}, false, false);
    if (!expiryUnderstood) {
        *context.err << kAuthUsage;
        return ExitUsage;
    }
    if (made.empty())
        return ExitFailed;
    session.out() << made << '\n';
    return ExitOk;
}

int runKeys(CliContext& context, const CommandArgs& args)
{
    ParsedArgs parsed;
    if (!parseArgs(args, {"--name", "--mail", "--folder", "--to"}, {"--list"}, parsed, *context.err))
        return ExitUsage;
    if (parsed.positional.empty()) {
        *context.err << kKeysUsage;
        return ExitUsage;
    }
    using Subcommand = int (*)(CliSession&, const ParsedArgs&);
    const std::pair<const char*, Subcommand> subcommands[] = {
        {"list", keysList},     {"add", keysAdd},     {"modify", keysModify},     {"delete", keysDelete},
        {"move", keysMove},     {"mkdir", keysMkdir}, {"rmdir", keysRmdir},       {"outdated", keysOutdated},
        {"stray", keysStray},
    };
    for (const auto& [name, run] : subcommands) {
        if (parsed.positional[0] != name)
            continue;
        CliSession session(context);
        if (!session.requireKeySet())
            return ExitFailed;
        return run(session, parsed);
    }
    *context.err << kKeysUsage;
    return ExitUsage;
}

} // namespace mvx::cli

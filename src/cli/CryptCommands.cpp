#include "cli/CryptCommands.h"

#include "app/Msg.h"
#include "cli/CliSession.h"
#include "cli/TerminalLine.h"
#include "keys/KeyFileNames.h"
#include "keys/StrayKeys.h"
#include "platform/FileAttributes.h"
#include "workbench/DecryptBatch.h"
#include "workbench/DeleteFlows.h"
#include "workbench/EncryptBatch.h"
#include "workbench/IEncryptChooser.h"
#include "workbench/ProgressFileCrypto.h"
#include "workbench/WorkbenchSession.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ostream>

namespace mvx::cli {

const char* const kEncryptUsage =
    "usage: morvanex-cli encrypt [OPTIONS] [--] FILE... (--to KEY... | --self) [--out DIR]\n"
    "           [--limit N(y|w|d|h|m|s)] [--limit-until \"YYYY-MM-DD HH:MM:SS\"] [--from-first-decryption]\n"
    "           [--history] [--delete] [--mail]\n"
    "Encrypts every FILE into FILE.klx for the destinations. KEY is a key file path, or a\n"
    "key file name or display name from the destination list; --self encrypts for the\n"
    "own self-authentication key. --limit sets a decryption time limit of N years, weeks,\n"
    "days, hours, minutes or seconds (1 to 99), counted from the encryption or, with\n"
    "--from-first-decryption, from the first decryption; --limit-until sets a date.\n"
    "--history records who opens the containers, --delete destroys the plain files\n"
    "afterwards, --mail hands the containers to the mail program. Prints each container made.\n"
    "Options may come before or after the files; every word after -- is a file.\n";
const char* const kDecryptUsage =
    "usage: morvanex-cli decrypt [OPTIONS] [--] FILE... [--out DIR] [--delete] [--open]\n"
    "Decrypts every container. Prints each output path and, tab-separated, the sender\n"
    "(\"known\" or \"unknown\", name, mail). --delete destroys the containers afterwards.\n"
    "A container from an unknown sender is followed by the question whether to\n"
    "authenticate its creator; --open first opens its plain file with the program of its\n"
    "type ($MORVANEX_OPENER names another) and waits for it.\n";
const char* const kShredUsage =
    "usage: morvanex-cli shred [--] FILE...\n"
    "Destroys the files by secure deletion (ten overwrites, then deletion), asking per file.\n";

namespace {

// A destination given by path, key file name or display name.
std::string resolveKey(CliSession& session, const std::string& key)
{
    if (FileAttributes::isRegularFile(key))
        return absolutePath(key);
    CKeyManager& keys = session.keys();
    for (const std::string& folder : keys.keyFolderTree()) {
        for (const char* memberFile : {KeyFileNames::kMemberFile, KeyFileNames::kPublicMemberFile}) {
            for (const auto& record : CKeyManager::loadMemberFile(folder + memberFile)) {
                if (record.fileName == key || record.displayName == key)
                    return folder + record.fileName;
            }
        }
    }
    return {};
}

// The folder named by --out, made when it does not exist yet (the batches
// would otherwise fall back to their default folder without a word).
std::string outputFolder(const std::string& given)
{
    const std::string folder = absolutePath(given);
    FileAttributes::makeFolders(folder);
    return folder;
}

bool parseLimit(const std::string& text, EncryptOptionRules& dialog)
{
    if (text.size() < 2)
        return false;
    const std::string units = "ywdhms";
    const size_t unit = units.find(text.back());
    if (unit == std::string::npos)
        return false;
    dialog.number = text.substr(0, text.size() - 1);
    dialog.unit = static_cast<EncryptOptionRules::Unit>(unit);
    return true;
}

bool parseDate(const std::string& text, EncryptOptionRules& dialog)
{
    int y, mo, d, h = 0, mi = 0, s = 0;
    const int n = std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &y, &mo, &d, &h, &mi, &s);
    if (n != 3 && n != 6)
        return false;
    dialog.limitMode = EncryptOptionRules::kDirectDate;
    dialog.year = y;
    dialog.month = mo;
    dialog.day = d;
    dialog.hour = h;
    dialog.minute = mi;
    dialog.second = s;
    return true;
}

// The options dialog filled from the command line; false for a usage error.
bool fillOptions(const ParsedArgs& parsed, EncryptOptionRules& dialog)
{
    dialog.manageLogs = parsed.has("--history");
    dialog.deletePlainFiles = parsed.has("--delete");
    dialog.outputFolder = parsed.has("--out") ? outputFolder(parsed.value("--out")) : std::string();
    if (parsed.has("--limit") && parsed.has("--limit-until"))
        return false;
    if (parsed.has("--limit")) {
        dialog.timeLimitOn = true;
        dialog.limitMode = parsed.has("--from-first-decryption") ? EncryptOptionRules::kAfterFirstDecryption
                                                                  : EncryptOptionRules::kAfterEncryption;
        return parseLimit(parsed.value("--limit"), dialog);
    }
    if (parsed.has("--limit-until")) {
        // A date is absolute: counting it from the first decryption has no meaning.
        dialog.timeLimitOn = true;
        return !parsed.has("--from-first-decryption") && parseDate(parsed.value("--limit-until"), dialog);
    }
    return !parsed.has("--from-first-decryption");
}

// A deletion that was asked for and did not happen (a No answer, no terminal)
// is named; true when every plain file that became a container is gone.
bool reportKeptPlainFiles(CliSession& session, WorkbenchSession& workbench, const EncryptOutcome& outcome)
{
    bool allGone = true;
    for (const auto& plain : workbench.work().files()) {
        const auto& deleted = outcome.deletedPlainFiles;
        if (std::find(deleted.begin(), deleted.end(), plain) != deleted.end())
            continue;
        allGone = false;
        const auto& failed = outcome.deletionFailures;
        if (std::find(failed.begin(), failed.end(), plain) == failed.end())
            session.messenger().show(Msg::DeletionFailed, MsgIcon::Exclamation, plain);
    }
    return allGone;
}

// A folder among the operands is named and left out; the files are encrypted.
std::vector<std::string> withoutFolders(CliSession& session, const std::vector<std::string>& paths)
{
    std::vector<std::string> files;
    for (const auto& path : paths) {
        if (FileAttributes::isDirectory(path))
            session.messenger().show(Msg::FolderIsNotEncrypted, MsgIcon::Exclamation, path);
        else
            files.push_back(path);
    }
    return files;
}

// MORVANEX_PROGRESS_MS (milliseconds between two draws) lets the tests watch
// the line advance within a file of a size they can afford.
ProgressLine::Display terminalDisplay(TerminalLine* line)
{
    if (!line)
        return {};
    ProgressLine::Display display{[line](const std::string& text) { line->draw(text); }, [line] { line->clear(); }};
    if (const char* every = std::getenv("MORVANEX_PROGRESS_MS"); every && std::atoi(every) > 0)
        display.every = std::chrono::milliseconds(std::atoi(every));
    return display;
}

uint64_t totalSize(const std::vector<std::string>& files)
{
    uint64_t total = 0;
    for (const auto& file : files)
        total += ProgressFileCrypto::sizeOf(file);
    return total;
}

// Runs a batch with the progress line of a terminal (cleared before the
// results are printed).
template <typename Batch>
auto withProgress(CliSession& session, WorkbenchSession& workbench, const std::vector<std::string>& files, Batch batch)
{
    ProgressLine progress(terminalDisplay(session.context().progressLine), session.messenger().text(Msg::ProgressFilesAndBytes),
                          files.size(), totalSize(files));
    IFileCrypto* inner = workbench.context().crypto;
    ProgressFileCrypto counted(*inner, progress);
    workbench.context().crypto = &counted;
    auto outcome = batch();
    workbench.context().crypto = inner;
    return outcome;
}

std::vector<std::string> absolutePaths(const std::vector<std::string>& paths)
{
    std::vector<std::string> result;
    for (const auto& p : paths)
        result.push_back(absolutePath(p));
    return result;
}

} // namespace

int runEncrypt(CliContext& context, const CommandArgs& args)
{
    ParsedArgs parsed;
    if (!parseArgs(args, {"--to", "--out", "--limit", "--limit-until"},
                   {"--self", "--from-first-decryption", "--history", "--delete", "--mail"}, parsed, *context.err))
        return ExitUsage;
    CliSession session(context);
    EncryptOptionRules dialog(false);
    if (parsed.positional.empty() || parsed.has("--to") == parsed.has("--self") || !fillOptions(parsed, dialog)) {
        *context.err << kEncryptUsage;
        return ExitUsage;
    }
    if (!session.requireKeySet())
        return ExitFailed;
    // Keys lying unlisted in the key folders are offered before a batch.
    StrayKeys(session.messenger(), session.keys()).offer();
    if (!dialog.onOk(session.messenger()).accepted)
        return ExitFailed;

    EncryptChoices choices;
    choices.options = dialog.options();
    choices.mail = parsed.has("--mail");
    WorkbenchSession workbench(session.messenger(), session.settings(), session.keys(), session.settingsFound());
    if (parsed.has("--self")) {
        choices.destinations.push_back(workbench.context().keys.selfAuthKeyFile);
    } else {
        for (const auto& key : parsed.values("--to")) {
            const std::string path = resolveKey(session, key);
            // An unknown name stays as given: the batch reports it as not found.
            choices.destinations.push_back(path.empty() ? key : path);
        }
    }
    PresetEncryptChooser chooser(choices);
    workbench.context().chooser = &chooser;
    const std::vector<std::string> files = withoutFolders(session, absolutePaths(parsed.positional));
    if (files.empty())
        return ExitFailed;
    workbench.work().setFiles(files);
    EncryptRequest request;
    request.kind = kKindChooseDestinations;
    const EncryptOutcome outcome =
        withProgress(session, workbench, files, [&] { return EncryptBatch(workbench.context()).run(request); });
    for (const auto& container : outcome.containers)
        session.out() << resultField(container) << '\n';
    const bool deletionsDone = !dialog.deletePlainFiles || reportKeptPlainFiles(session, workbench, outcome);
    const bool all = outcome.completed && outcome.containers.size() == parsed.positional.size() && deletionsDone;
    return all ? ExitOk : ExitFailed;
}

int runDecrypt(CliContext& context, const CommandArgs& args)
{
    ParsedArgs parsed;
    if (!parseArgs(args, {"--out"}, {"--delete", "--open"}, parsed, *context.err))
        return ExitUsage;
    if (parsed.positional.empty()) {
        *context.err << kDecryptUsage;
        return ExitUsage;
    }
    CliSession session(context);
    if (!session.requireKeySet())
        return ExitFailed;
    StrayKeys(session.messenger(), session.keys()).offer();
    Settings settings = session.settings();
    if (parsed.has("--out"))
        settings.destPath2 = outputFolder(parsed.value("--out"));
    settings.deleteCheck2 = parsed.has("--delete") ? 1 : 0;
    WorkbenchSession workbench(session.messenger(), settings, session.keys(), session.settingsFound());
    // A script's decryption never starts an editor or a viewer by itself.
    workbench.unknownSender().setOpensFile(parsed.has("--open"));
    const std::vector<std::string> containers = absolutePaths(parsed.positional);
    workbench.work().setFiles(containers);
    // As for dropped containers: the output path follows the naming rules and
    // "--out"; a single container does not open the save dialog.
    const DecryptOutcome outcome = withProgress(session, workbench, containers, [&] {
        return DecryptBatch(workbench.context()).run(kKindFromDestinationList);
    });
    for (size_t i = 0; i < outcome.outputs.size(); ++i) {
        const auto& sender = outcome.senders[i];
        session.out() << resultField(outcome.outputs[i]) << '\t' << (sender.known ? "known" : "unknown") << '\t'
                      << resultField(sender.userName) << '\t' << resultField(sender.mail) << '\n';
    }
    // A container asked to be destroyed and still there is a failure (its message was shown).
    const bool deletionsDone = !parsed.has("--delete") || outcome.deletedContainers.size() == outcome.decrypted.size();
    return outcome.completed && outcome.decrypted.size() == parsed.positional.size() && deletionsDone ? ExitOk
                                                                                                    : ExitFailed;
}

int runShred(CliContext& context, const CommandArgs& args)
{
    ParsedArgs parsed;
    if (!parseArgs(args, {}, {}, parsed, *context.err))
        return ExitUsage;
    if (parsed.positional.empty()) {
        *context.err << kShredUsage;
        return ExitUsage;
    }
    CliSession session(context);
    WorkbenchSession workbench(session.messenger(), session.settings(), session.keys(), session.settingsFound());
    for (const auto& path : absolutePaths(parsed.positional))
        workbench.work().ExpandEntry(path, true);
    const size_t asked = workbench.work().size();
    const DeleteOutcome outcome = [&] {
        const std::vector<std::string> files = workbench.work().files();
        ProgressLine progress(terminalDisplay(context.progressLine), session.messenger().text(Msg::ProgressFilesAndBytes),
                              files.size(), totalSize(files));
        const auto destroy = workbench.context().secureDelete;
        workbench.context().secureDelete = [&](const std::string& path) {
            const uint64_t size = ProgressFileCrypto::sizeOf(path);
            const int destroyed = destroy(path);
            progress.fileDone(size);
            return destroyed;
        };
        return DeleteFlows(workbench.context()).deleteWorkList();
    }();
    for (const auto& deleted : outcome.deleted)
        session.out() << resultField(deleted) << '\n';
    // A file left in place, by an answer or a refusal, is not what was asked for.
    return outcome.deleted.size() == asked ? ExitOk : ExitFailed;
}

} // namespace mvx::cli

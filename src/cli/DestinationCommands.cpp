#include "cli/DestinationCommands.h"

#include "cli/KeyCommands.h"
#include "keys/DestinationListEditor.h"
#include "keys/KeyFileNames.h"
#include "keys/StrayKeys.h"

#include <ostream>

namespace mvx::cli {

namespace {

std::string folderOption(CliSession& session, const ParsedArgs& parsed)
{
    return parsed.has("--folder") ? KeyFileNames::withTrailingSlash(absolutePath(parsed.value("--folder")))
                                  : session.keys().keyFolder();
}

int usage(CliSession& session)
{
    *session.context().err << kKeysUsage;
    return ExitUsage;
}

// The dialog answered once with what the command line gave; shown again
// after a refusal it is cancelled, so a missing field ends the command.
DestinationListEditor::EntryDialog dialogFrom(const ParsedArgs& parsed, const std::string& folder)
{
    auto shown = std::make_shared<int>(0);
    return [parsed, folder, shown](DestinationListEditor::EntryFields& fields, bool) {
        if ((*shown)++ > 0)
            return false;
        if (parsed.has("--name"))
            fields.name = parsed.value("--name");
        if (parsed.has("--mail"))
            fields.mail = parsed.value("--mail");
        fields.folder = folder;
        return true;
    };
}

// Indexes of the named key files in the folder shown; false (after a note) when one is not listed.
bool indexesOf(CliSession& session, const std::vector<std::string>& names, std::vector<size_t>& indexes)
{
    CKeyManager& keys = session.keys();
    for (const std::string& wanted : names) {
        bool found = false;
        for (size_t i = 0; i < keys.recordCount() && !found; ++i)
            if (keys.recordAt(i).fileName == KeyFileNames::fileNameOf(wanted)) {
                indexes.push_back(i);
                found = true;
            }
        if (!found) {
            *session.context().err << "morvanex-cli: " << wanted << " is not listed in " << keys.currentFolder()
                                   << '\n';
            return false;
        }
    }
    return true;
}

} // namespace

int keysList(CliSession& session, const ParsedArgs& parsed)
{
    DestinationListEditor list(session.messenger(), session.keys(), {});
    const std::string folder = parsed.positional.size() > 1 ? absolutePath(parsed.positional[1]) : std::string();
    for (const auto& row : list.showFolder(folder).rows)
        session.out() << row.name << '\t' << row.mail << '\t' << row.keyFileName << '\t' << row.fileTime << '\t'
                      << row.expiration << '\t' << row.lastOperation << '\n';
    return ExitOk;
}

int keysAdd(CliSession& session, const ParsedArgs& parsed)
{
    if (parsed.positional.size() != 2)
        return usage(session);
    StrayKeys(session.messenger(), session.keys()).offer();
    const std::string folder = folderOption(session, parsed);
    DestinationListEditor list(session.messenger(), session.keys(), dialogFrom(parsed, folder));
    list.showFolder(folder);
    const std::string file = absolutePath(parsed.positional[1]);
    if (!list.registerKey(file, folder))
        return ExitFailed;
    session.out() << folder << KeyFileNames::fileNameOf(file) << '\n';
    return ExitOk;
}

int keysModify(CliSession& session, const ParsedArgs& parsed)
{
    if (parsed.positional.size() != 2)
        return usage(session);
    const std::string folder = folderOption(session, parsed);
    const std::string target = parsed.has("--to") ? KeyFileNames::withTrailingSlash(absolutePath(parsed.value("--to")))
                                                  : folder;
    DestinationListEditor list(session.messenger(), session.keys(), dialogFrom(parsed, target));
    list.showFolder(folder);
    std::vector<size_t> indexes;
    if (!indexesOf(session, {parsed.positional[1]}, indexes))
        return ExitFailed;
    return list.modify(indexes) ? ExitOk : ExitFailed;
}

int keysDelete(CliSession& session, const ParsedArgs& parsed)
{
    if (parsed.positional.size() < 2)
        return usage(session);
    DestinationListEditor list(session.messenger(), session.keys(), {});
    list.showFolder(folderOption(session, parsed));
    std::vector<size_t> indexes;
    if (!indexesOf(session, {parsed.positional.begin() + 1, parsed.positional.end()}, indexes))
        return ExitFailed;
    const size_t deleted = list.deleteEntries(indexes);
    session.out() << deleted << '\n';
    return deleted == indexes.size() ? ExitOk : ExitFailed;
}

int keysMove(CliSession& session, const ParsedArgs& parsed)
{
    if (parsed.positional.size() < 2 || !parsed.has("--to"))
        return usage(session);
    DestinationListEditor list(session.messenger(), session.keys(), {});
    list.showFolder(folderOption(session, parsed));
    std::vector<size_t> indexes;
    if (!indexesOf(session, {parsed.positional.begin() + 1, parsed.positional.end()}, indexes))
        return ExitFailed;
    const size_t moved = list.move(indexes, absolutePath(parsed.value("--to")));
    return moved == indexes.size() ? ExitOk : ExitFailed;
}

int keysMkdir(CliSession& session, const ParsedArgs& parsed)
{
    if (parsed.positional.size() != 2)
        return usage(session);
    DestinationListEditor list(session.messenger(), session.keys(), {});
    list.showFolder(folderOption(session, parsed));
    return list.makeFolder(parsed.positional[1]) ? ExitOk : ExitFailed;
}

int keysRmdir(CliSession& session, const ParsedArgs& parsed)
{
    if (parsed.positional.size() != 2)
        return usage(session);
    DestinationListEditor list(session.messenger(), session.keys(), {});
    list.showFolder();
    return list.deleteFolder(absolutePath(parsed.positional[1])) ? ExitOk : ExitFailed;
}

int keysOutdated(CliSession& session, const ParsedArgs&)
{
    for (const auto& key : session.keys().findOutdatedKeys())
        session.out() << key.displayName << '\t' << key.fileName << '\t' << key.expiry << '\t' << key.folder << '\n';
    return ExitOk;
}

int keysStray(CliSession& session, const ParsedArgs& parsed)
{
    StrayKeys strays(session.messenger(), session.keys());
    if (parsed.has("--list")) {
        for (const auto& s : strays.find())
            session.out() << s.folder << s.fileName << '\t' << s.displayName << '\t' << s.mail << '\n';
        return ExitOk;
    }
    session.out() << strays.offer() << '\n';
    return ExitOk;
}

} // namespace mvx::cli

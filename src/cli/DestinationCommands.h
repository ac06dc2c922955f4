#pragma once

#include "cli/CliSession.h"

namespace mvx::cli {

// The destination-list subcommands of "keys".
int keysList(CliSession& session, const ParsedArgs& parsed);
int keysAdd(CliSession& session, const ParsedArgs& parsed);
int keysModify(CliSession& session, const ParsedArgs& parsed);
int keysDelete(CliSession& session, const ParsedArgs& parsed);
int keysMove(CliSession& session, const ParsedArgs& parsed);
int keysMkdir(CliSession& session, const ParsedArgs& parsed);
int keysRmdir(CliSession& session, const ParsedArgs& parsed);
int keysOutdated(CliSession& session, const ParsedArgs& parsed);
int keysStray(CliSession& session, const ParsedArgs& parsed);

} // namespace mvx::cli

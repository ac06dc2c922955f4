#include "cli/CliContext.h"
#include "cli/TerminalLine.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <unistd.h>

using namespace mvx::cli;

namespace {

void printUsage(std::ostream& os)
{
    os << "usage: morvanex-cli [--home DIR] [--lang ja|en] [--yes|--no|--overwrite-all] COMMAND [ARGS...]\n"
          "\n"
          "Global options:\n"
          "  --home DIR        program folder (default $MORVANEX_HOME or ~/.config/morvanex/)\n"
          "  --lang ja|en      language of the messages for this run\n"
          "  --yes             answer Yes / OK to every question\n"
          "  --no              answer No / Cancel to every question\n"
          "  --overwrite-all   answer \"Overwrite all\" (or \"Delete all\") in four-button dialogs\n"
          "  --version         print the version and end\n"
          "\n"
          "Commands (COMMAND --help describes each):\n";
    for (const auto& c : cliCommands())
        os << "  " << c.name << std::string(c.name && std::strlen(c.name) < 10 ? 10 - std::strlen(c.name) : 1, ' ')
           << c.summary << '\n';
}

const CliCommand* findCommand(const std::string& name)
{
    for (const auto& c : cliCommands())
        if (name == c.name)
            return &c;
    return nullptr;
}

bool isHelp(const std::string& a) { return a == "--help" || a == "-h"; }

} // namespace

int main(int argc, char** argv)
{
    CliContext ctx;
    if (const char* home = std::getenv("MORVANEX_HOME"))
        ctx.homeDir = home;
    int i = 1;
    for (; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--home" && i + 1 < argc) {
            ctx.homeDir = argv[++i];
        } else if (a == "--lang" && i + 1 < argc) {
            ctx.language = argv[++i];
            if (ctx.language != "ja" && ctx.language != "en") {
                std::cerr << "morvanex-cli: --lang takes ja or en\n";
                return ExitUsage;
            }
        } else if (a == "--yes") {
            ctx.policy = AnswerPolicy::Yes;
        } else if (a == "--no") {
            ctx.policy = AnswerPolicy::No;
        } else if (a == "--overwrite-all") {
            ctx.policy = AnswerPolicy::OverwriteAll;
        } else if (isHelp(a)) {
            printUsage(std::cout);
            return ExitOk;
        } else if (a == "--version") {
            std::cout << "morvanex-cli " << MORVANEX_VERSION << '\n';
            return ExitOk;
        } else if (!a.empty() && a[0] == '-') {
            std::cerr << "morvanex-cli: unknown option " << a << '\n';
            printUsage(std::cerr);
            return ExitUsage;
        } else {
            break;
        }
    }
    if (i >= argc) {
        printUsage(std::cerr);
        return ExitUsage;
    }
    const CliCommand* command = findCommand(argv[i]);
    if (!command) {
        std::cerr << "morvanex-cli: unknown command " << argv[i] << '\n';
        printUsage(std::cerr);
        return ExitUsage;
    }
    CommandArgs args(argv + i + 1, argv + argc);
    if (!args.empty() && isHelp(args[0])) {
        std::cout << command->usage;
        return ExitOk;
    }
    // On a terminal the messages share standard error with the progress line.
    TerminalLine line(*std::cerr.rdbuf());
    std::ostream lineStream(&line);
    const bool errorIsTerminal = isatty(STDERR_FILENO) != 0;
    std::ostream& err = errorIsTerminal ? lineStream : std::cerr;
    TerminalInteraction interaction(ctx.policy, std::cin, err, isatty(STDIN_FILENO) != 0);
    ctx.interaction = &interaction;
    ctx.terminal = &interaction;
    ctx.out = &std::cout;
    ctx.err = &err;
    ctx.progressLine = errorIsTerminal ? &line : nullptr;
    return command->run(ctx, args);
}

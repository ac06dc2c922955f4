#include "cli/ServiceCommand.h"

#include "cli/CliSession.h"

#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "app/Msg.h"
#include "platform/SecretMemory.h"
#include "workbench/ServiceAction.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <termios.h>
#include <unistd.h>

namespace mvx::cli {

namespace {

struct ServiceOptions {
    std::string action;
    std::vector<std::string> files;
    std::vector<std::string> to;
    std::vector<std::string> tags;
    std::string mail;
    std::string passwordFile;
    std::string keyFile;
    std::string out;
    std::string subject;
    std::string message;
};

bool takesValue(const std::string& option)
{
    return option == "--mail" || option == "--password-file" || option == "--key" || option == "--out" ||
           option == "--subject" || option == "--message" || option == "--tag";
}

void storeValue(ServiceOptions& o, const std::string& option, const std::string& value)
{
    if (option == "--mail")
        o.mail = value;
    else if (option == "--password-file")
        o.passwordFile = value;
    else if (option == "--key")
        o.keyFile = value;
    else if (option == "--out")
        o.out = value;
    else if (option == "--subject")
        o.subject = value;
    else if (option == "--message")
        o.message = value;
    else if (option == "--tag")
        o.tags.push_back(value);
}

// Positional words are files, or addresses while a --to list is open.
std::optional<ServiceOptions> parseOptions(const CommandArgs& args, std::ostream& err)
{
    if (args.empty()) {
        err << "morvanex-cli service: an action is needed\n";
        return std::nullopt;
    }
    ServiceOptions o;
    o.action = args[0];
    bool inTo = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            o.files.insert(o.files.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (a.size() > 2 && a.rfind("--", 0) == 0 && refuseAmbiguousOption(a, err))
            return std::nullopt;
        if (a == "--to") {
            inTo = true;
        } else if (takesValue(a)) {
            if (i + 1 >= args.size()) {
                err << "morvanex-cli service: " << a << " needs a value\n";
                return std::nullopt;
            }
            storeValue(o, a, args[++i]);
            inTo = false;
        } else if (a == "--password") {
            err << "morvanex-cli service: the password is never taken from the command line; use "
                   "MORVANEX_SERVICE_PASSWORD, --password-file or the prompt\n";
            return std::nullopt;
        } else if (a.size() > 1 && a[0] == '-') {
            err << "morvanex-cli service: unknown option " << a << '\n';
            return std::nullopt;
        } else {
            (inTo ? o.to : o.files).push_back(a);
        }
    }
    return o;
}

bool checkShape(const ServiceOptions& o, std::ostream& err)
{
    static const std::vector<std::string> actions = {"connect", "login",  "register", "status",  "getkey",
                                                     "serverkey", "upload", "easysend", "transfer"};
    if (std::find(actions.begin(), actions.end(), o.action) == actions.end()) {
        err << "morvanex-cli service: unknown action " << o.action << '\n';
        return false;
    }
    const bool sendsFiles = o.action == "upload" || o.action == "easysend" || o.action == "transfer";
    if (sendsFiles && o.files.empty()) {
        err << "morvanex-cli service " << o.action << ": no files given\n";
        return false;
    }
    if ((o.action == "easysend" || o.action == "transfer") && o.to.empty()) {
        err << "morvanex-cli service " << o.action << ": --to ADDRESS... is needed\n";
        return false;
    }
    if (o.action == "getkey" && o.files.size() != 1) {
        err << "morvanex-cli service getkey: one ADDRESS is needed\n";
        return false;
    }
    if ((o.action == "getkey" || o.action == "serverkey") && o.out.empty()) {
        err << "morvanex-cli service " << o.action << ": --out FILE is needed\n";
        return false;
    }
    return true;
}

// The own key set fills in what the command line left out.
bool fillFromKeySet(ServiceOptions& o, CliSession& session, std::ostream& err)
{
    const bool hasKeySet = session.keys().hasOwnKeySet();
    if (o.mail.empty() && hasKeySet)
        o.mail = session.keys().mail();
    if (o.keyFile.empty() && hasKeySet)
        o.keyFile = session.keys().ownPublicKeyPath();
    if ((o.action == "register" || o.action == "status") && o.keyFile.empty()) {
        err << "morvanex-cli service " << o.action << ": --key PUBLIC-KEY is needed (no own key set)\n";
        return false;
    }
    if ((ServiceAction::needsAccount(o.action) || o.action == "easysend") && o.mail.empty()) {
        err << "morvanex-cli service " << o.action << ": --mail ADDRESS is needed (no own key set)\n";
        return false;
    }
    return true;
}

std::string firstLine(std::string text)
{
    const auto end = text.find_first_of("\r\n");
    if (end != std::string::npos)
        text.resize(end);
    return text;
}

std::optional<std::string> promptPassword(CMessenger& messenger)
{
    if (!isatty(STDIN_FILENO))
        return std::nullopt;
    std::cerr << messenger.text(Msg::LoginPrompt) << '\n' << messenger.text(Msg::PasswordLabel) << ": " << std::flush;
    termios saved {};
    const bool canHide = tcgetattr(STDIN_FILENO, &saved) == 0;
    if (canHide) {
        termios hidden = saved;
        hidden.c_lflag &= static_cast<tcflag_t>(~ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    std::string line;
    std::getline(std::cin, line);
    if (canHide)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::cerr << '\n';
    return line;
}

// The password from the environment, a file, or the prompt; never from the command line.
std::optional<std::string> readPassword(const ServiceOptions& o, CMessenger& messenger)
{
    if (const char* fromEnvironment = std::getenv("MORVANEX_SERVICE_PASSWORD"))
        return std::string(fromEnvironment);
    if (!o.passwordFile.empty()) {
        std::ifstream in(o.passwordFile, std::ios::binary);
        if (!in) {
            messenger.show(Msg::InputFileCannotOpen, MsgIcon::Stop);
            return std::nullopt;
        }
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return firstLine(text);
    }
    return promptPassword(messenger);
}

// One service action with its messages and printed result.
class ServiceRun {
public:
    ServiceRun(CliSession& session, const ServiceOptions& o) : m_session(session), m_ctx(session.context()), m_o(o) {}

    int run()
    {
        // The containers are made with the own key set, so it must be usable first.
        if (m_o.action == "transfer" && !m_session.requireKeySet())
            return ExitFailed;
        ServiceAction::Request request{m_o.action, m_o.files, m_o.to,      m_o.tags,    m_o.mail,
                                       {},         m_o.keyFile, m_o.out, m_o.subject, m_o.message};
        if (ServiceAction::needsAccount(m_o.action)) {
            auto entered = readPassword(m_o, m_session.messenger());
            if (!entered || entered->empty()) {
                m_session.messenger().show(Msg::PasswordEmpty, MsgIcon::Stop);
                return ExitFailed;
            }
            request.password = std::move(*entered);
            wipeText(*entered);
        }
        IInteraction& ui = *m_ctx.interaction;
        const auto result =
            ServiceAction(m_session.app(), std::move(request)).run([&ui](const std::string& line) { ui.status(line); });
        if (result.networkFailure) {
            ui.showMessage(*result.networkFailure, MsgIcon::Stop, std::string());
            return ExitFailed;
        }
        report(result);
        return result.ok ? ExitOk : ExitFailed;
    }

private:
    void report(const ServiceAction::Result& result)
    {
        if (result.ok) {
            *m_ctx.out << result.answer << '\n';
            return;
        }
        if (!result.answer.empty() && m_o.action != "getkey" && m_o.action != "serverkey" && m_o.action != "login")
            *m_ctx.out << result.answer << '\n';
        if (result.failureSlot != ServiceAction::kNoFurtherMessage)
            m_session.messenger().show(result.failureSlot, MsgIcon::Stop);
    }

    CliSession& m_session;
    CliContext& m_ctx;
    const ServiceOptions& m_o;
};

} // namespace

int runServiceCommand(CliContext& ctx, const CommandArgs& args)
{
    const auto options = parseOptions(args, *ctx.err);
    if (!options || !checkShape(*options, *ctx.err)) {
        *ctx.err << kServiceUsage;
        return ExitUsage;
    }
    CliSession session(ctx);
    ServiceOptions filled = *options;
    if (!fillFromKeySet(filled, session, *ctx.err)) {
        *ctx.err << kServiceUsage;
        return ExitUsage;
    }
    if (filled.action == "transfer") {
        // The batches work on absolute paths.
        for (auto& file : filled.files)
            file = absolutePath(file);
    }
    ServiceRun run(session, filled);
    return run.run();
}

} // namespace mvx::cli

#include "cli/ServiceCommand.h"

#include "cli/CliSession.h"

#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "app/Msg.h"
#include "net/ProgressWorker.h"
#include "net/ServiceUrl.h"
#include "net/VelquinClient.h"
#include "workbench/BatchTransfer.h"
#include "workbench/WorkbenchSession.h"

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

using net::CProgressWorker;
using net::CVelquinClient;

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

bool needsAccount(const std::string& action)
{
    return action == "login" || action == "register" || action == "status" || action == "serverkey" ||
           action == "upload" || action == "transfer";
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
    if ((needsAccount(o.action) || o.action == "easysend") && o.mail.empty()) {
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

CProgressWorker::Stage stageOf(const std::string& action)
{
    if (action == "register")
        return CProgressWorker::Stage::RegisterKey;
    if (action == "status")
        return CProgressWorker::Stage::KeyStatus;
    if (action == "serverkey")
        return CProgressWorker::Stage::ServerKey;
    if (action == "upload")
        return CProgressWorker::Stage::UploadMyFolder;
    if (action == "easysend")
        return CProgressWorker::Stage::EasySend;
    if (action == "getkey" || action == "transfer")
        return CProgressWorker::Stage::Transfer;
    return CProgressWorker::Stage::AccountCheck;
}

const char* keyStatusWord(int status)
{
    static const char* const words[] = {"unknown", "httperror", "fail", "dberr", "nonkey",
                                        "keyreg", "samekeyreg", "passkeyold"};
    return status >= 0 && status <= 7 ? words[status] : "unknown";
}

// The batches' containers counted on their way to the upload: a file the
// batch could not encrypt has had its own message and is not sent.
class CountingTransferEncryptor : public net::ITransferEncryptor {
public:
    explicit CountingTransferEncryptor(net::ITransferEncryptor& batches) : m_batches(batches) {}

    std::vector<std::string> EncryptForTransfer(const std::vector<std::string>& files,
                                                const std::vector<std::string>& recipientKeyFiles,
                                                const std::string& outputFolder) override
    {
        auto made = m_batches.EncryptForTransfer(files, recipientKeyFiles, outputFolder);
        m_made = made.size();
        return made;
    }
    size_t Made() const { return m_made; }

private:
    net::ITransferEncryptor& m_batches;
    size_t m_made = 0;
};

constexpr int kNoFurtherMessage = -1;

// One service action behind the progress worker, with its messages.
class ServiceRun {
public:
    ServiceRun(CliSession& session, const ServiceOptions& o)
        : m_session(session), m_ctx(session.context()), m_o(o), m_table(session.messenger().table()), m_messenger(session.messenger()),
          m_client(net::CServiceUrl::Resolve(session.settings().serviceUrl))
    {
    }

    int run()
    {
        // The containers are made with the own key set, so it must be usable first.
        if (m_o.action == "transfer" && !m_session.requireKeySet())
            return ExitFailed;
        std::string password;
        if (needsAccount(m_o.action)) {
            auto entered = readPassword(m_o, m_messenger);
            if (!entered || entered->empty()) {
                m_messenger.show(Msg::PasswordEmpty, MsgIcon::Stop);
                return ExitFailed;
            }
            password = *entered;
        }
        configureClient(password);
        int exitCode = ExitFailed;
        CProgressWorker worker(m_table, m_client);
        worker.Start(stageOf(m_o.action), [&](CVelquinClient&) { exitCode = perform(); });
        showProgress(worker);
        worker.Wait();
        if (auto failure = worker.FailureMessage()) {
            m_ctx.interaction->showMessage(*failure, MsgIcon::Stop, std::string());
            return ExitFailed;
        }
        report();
        return exitCode;
    }

private:
    // The stage and the file being uploaded, as the progress window shows them.
    void showProgress(CProgressWorker& worker)
    {
        std::string shown;
        do {
            const auto snapshot = worker.Poll();
            const std::string line = snapshot.fileLine.empty() ? snapshot.stageText : snapshot.fileLine;
            if (line != shown && !snapshot.finished)
                m_ctx.interaction->status(line);
            shown = line;
        } while (!worker.WaitForRefresh());
    }

    void configureClient(const std::string& password)
    {
        m_client.SetAccount(m_o.mail, password);
        m_client.SetPublicKeyFile(m_o.keyFile);
        m_client.SetOutputKeyFile(m_o.out);
        m_client.SetFiles(m_o.files);
        m_client.SetDestinations(m_o.to);
        m_client.SetSubject(m_o.subject);
        m_client.SetMessage(m_o.message);
        m_client.SetTags(m_o.tags);
    }

    // Runs on the worker thread; results are printed once it has ended.
    int perform()
    {
        const std::string& a = m_o.action;
        if (a == "connect")
            return done(m_client.ConnectCheck() == 1, "connect");
        if (a == "login")
            return login();
        if (a == "register") {
            const std::string answer = m_client.RegisterKey();
            return done(answer == "success", answer, Msg::ServiceSystemError);
        }
        if (a == "status") {
            const int status = m_client.GetKeyStatus();
            return done(status >= 4 && status <= 7, std::to_string(status) + "\t" + keyStatusWord(status),
                        status == 2 ? Msg::WrongMailOrPassword : Msg::ServiceSystemError);
        }
        if (a == "getkey")
            return done(m_client.GetKey(m_o.files[0], m_o.out) == 1, m_o.out, Msg::ServiceSystemError);
        if (a == "serverkey")
            return serverKey();
        if (a == "transfer")
            return transfer();
        if (a == "upload") {
            const std::string answer = m_client.UploadToMyFolder();
            return done(answer == "success", answer, Msg::ServiceSystemError);
        }
        const long status = m_client.EasySend();
        return done(status == 200, std::to_string(status), Msg::ServiceSystemError);
    }

    int login()
    {
        const int result = m_client.Login();
        return done(result == CVelquinClient::LoginSuccess, "success",
                    result == CVelquinClient::LoginFail ? Msg::WrongMailOrPassword : Msg::ServiceSystemError);
    }

    // The partners' keys fetched, the files encrypted for them by the batches, the containers uploaded.
    int transfer()
    {
        WorkbenchSession workbench(m_session.messenger(), m_session.settings(), m_session.keys(),
                                   m_session.settingsFound());
        BatchTransfer batches(workbench);
        CountingTransferEncryptor counted(batches);
        const std::string answer = m_client.TransferEncrypted(counted);
        if (answer == "success" && counted.Made() != m_o.files.size())
            return done(false, answer, kNoFurtherMessage);  // sent, but not every file
        return done(answer == "success", answer, Msg::ServiceSystemError);
    }

    int serverKey()
    {
        const int result = m_client.GetServerKey();
        return done(result == CVelquinClient::ServerKeyWritten, m_o.out,
                    result == CVelquinClient::ServerKeyFail ? Msg::WrongMailOrPassword : Msg::ServiceSystemError);
    }

    int done(bool ok, std::string result, int failureSlot = Msg::WebNetworkUnavailable)
    {
        m_ok = ok;
        m_result = std::move(result);
        m_failureSlot = failureSlot;
        return ok ? ExitOk : ExitFailed;
    }

    void report()
    {
        if (m_ok) {
            *m_ctx.out << m_result << '\n';
            return;
        }
        if (!m_result.empty() && m_o.action != "getkey" && m_o.action != "serverkey" && m_o.action != "login")
            *m_ctx.out << m_result << '\n';
        if (m_failureSlot != kNoFurtherMessage)
            m_messenger.show(m_failureSlot, MsgIcon::Stop);
    }

    CliSession& m_session;
    CliContext& m_ctx;
    const ServiceOptions& m_o;
    const CMessageTable& m_table;
    CMessenger& m_messenger;
    CVelquinClient m_client;
    bool m_ok = false;
    std::string m_result;
    int m_failureSlot = Msg::ServiceSystemError;
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

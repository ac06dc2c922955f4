#include "CliRunner.h"

#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace mvx::test {

namespace {

std::string slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

CliResult runCli(const std::vector<std::string>& args, const std::string& input,
                 const std::filesystem::path& workingFolder)
{
    char pattern[] = "/tmp/mvx-cli-XXXXXX";
    const std::filesystem::path scratch = mkdtemp(pattern);
    const auto outPath = scratch / "out", errPath = scratch / "err", inPath = scratch / "in";
    std::ofstream(inPath) << input;
    std::vector<std::string> argv{MORVANEX_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    pid_t pid = fork();
    if (pid == 0) {
        int in = ::open(inPath.c_str(), O_RDONLY);
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> raw;
        for (auto& a : argv)
            raw.push_back(a.data());
        raw.push_back(nullptr);
        ::unsetenv("MORVANEX_HOME");
        if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0)
            _exit(126);
        execv(raw[0], raw.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    CliResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = slurp(outPath);
    r.err = slurp(errPath);
    std::filesystem::remove_all(scratch);
    return r;
}

CliUser::CliUser(const std::filesystem::path& root, const std::string& name) : folder_(root / name), name_(name)
{
    std::filesystem::create_directories(folder_);
}

CliResult CliUser::run(const std::vector<std::string>& args, const std::string& input) const
{
    std::vector<std::string> all{"--home", (folder_ / "home").string(), "--lang", "en"};
    all.insert(all.end(), args.begin(), args.end());
    return runCli(all, input);
}

CliResult CliUser::runIn(const std::filesystem::path& workingFolder, const std::vector<std::string>& args) const
{
    std::vector<std::string> all{"--home", (folder_ / "home").string(), "--lang", "en"};
    all.insert(all.end(), args.begin(), args.end());
    return runCli(all, "", workingFolder);
}

CliResult CliUser::init(const std::string& userName, const std::string& mail) const
{
    return run({"init", "--key-root", keyRoot().string(), "--key-name", name_, "--user", userName, "--mail", mail});
}

} // namespace mvx::test

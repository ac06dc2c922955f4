#include "TestWebService.h"

#include <cstdio>
#include <fcntl.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace mvx::test {

namespace {

constexpr const char* kLifetimeSeconds = "900";

std::vector<char*> argvOf(const std::vector<std::string>& args)
{
    std::vector<char*> out;
    for (const auto& a : args)
        out.push_back(const_cast<char*>(a.c_str()));
    out.push_back(nullptr);
    return out;
}

} // namespace

int runProgram(const std::vector<std::string>& argv)
{
    auto args = argvOf(argv);
    pid_t pid = -1;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ProgramOutput runCaptured(const std::vector<std::string>& argv)
{
    const std::string folder = makeTempFolder("mvx-run-");
    const std::string outFile = folder + "out";
    const std::string errFile = folder + "err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    auto args = argvOf(argv);
    pid_t pid = -1;
    ProgramOutput result;
    if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ) == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            result.status = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = TestWebService::readFile(outFile);
    result.err = TestWebService::readFile(errFile);
    removeTree(folder);
    return result;
}

std::string makeTempFolder(const std::string& prefix)
{
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "XXXXXX")).string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    return pattern + "/";
}

void removeTree(const std::string& path)
{
    std::error_code ec;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    for (auto it = std::filesystem::recursive_directory_iterator(path, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path, ec);
}

void writeFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

std::string TestWebService::readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TestWebService& TestWebService::shared()
{
    static TestWebService service;
    return service;
}

TestWebService::TestWebService()
{
    m_folder = makeTempFolder("mvx-web-");
    m_cert = m_folder + "cert.pem";
    m_key = m_folder + "key.pem";
    m_config = m_folder + "config.json";
    m_log = m_folder + "requests.log";
    m_store = m_folder + "store";
    std::filesystem::create_directory(m_store);
    makeCertificate();
    configure(nlohmann::json::object());
    startServer();
    setenv("MORVANEX_CA_FILE", m_cert.c_str(), 1);
    setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    setenv("no_proxy", "127.0.0.1,localhost", 1);
}

TestWebService::~TestWebService()
{
    if (m_stdinFd >= 0)
        close(m_stdinFd);  // the server ends when its input closes
    if (m_pid > 0) {
        int status = 0;
        waitpid(m_pid, &status, 0);
    }
    removeTree(m_folder);
}

void TestWebService::makeCertificate()
{
    const int status = runProgram({"openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                                   "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", m_key, "-out", m_cert,
                                   "-days", "2", "-subj", "/CN=127.0.0.1", "-addext",
                                   "subjectAltName=IP:127.0.0.1", "-batch"});
    if (status != 0)
        throw std::runtime_error("openssl could not make the test certificate");
}

void TestWebService::startServer()
{
    int input[2];
    int output[2];
    if (pipe(input) != 0 || pipe(output) != 0)
        throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    posix_spawn_file_actions_addclose(&actions, input[1]);
    posix_spawn_file_actions_addclose(&actions, output[0]);
    const std::vector<std::string> command = {"python3", MORVANEX_TEST_WEB_SERVICE, "--cert", m_cert, "--key",
                                              m_key, "--config", m_config, "--log", m_log, "--store", m_store,
                                              "--lifetime", kLifetimeSeconds};
    auto args = argvOf(command);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    close(output[1]);
    if (spawned != 0)
        throw std::runtime_error("python3 could not be started");
    m_pid = pid;
    m_stdinFd = input[1];
    FILE* portLine = fdopen(output[0], "r");
    if (!portLine || fscanf(portLine, "%d", &m_port) != 1)
        throw std::runtime_error("the test web service did not start");
    fclose(portLine);
}

void TestWebService::configure(const nlohmann::json& config)
{
    const std::string temporary = m_config + ".new";
    nlohmann::json steering = config;
    steering["generation"] = ++m_generation;
    writeFile(temporary, steering.dump());
    std::filesystem::rename(temporary, m_config);
    std::error_code ec;
    m_logOffset = std::filesystem::file_size(m_log, ec);
    if (ec)
        m_logOffset = 0;
}

std::vector<nlohmann::json> TestWebService::requests() const
{
    std::string text = readFile(m_log);
    std::vector<nlohmann::json> out;
    std::istringstream lines(text.substr(std::min(m_logOffset, text.size())));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            out.push_back(nlohmann::json::parse(line));
    return out;
}

} // namespace mvx::test

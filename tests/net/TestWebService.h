#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace mvx::test {

// The loopback HTTPS service of the tests (test_web_service.py): started once
// per test program with a certificate made by the openssl command, trusted
// through MORVANEX_CA_FILE, and ended when the program ends.
class TestWebService {
public:
    static TestWebService& shared();

    std::string baseUrl() const { return "https://127.0.0.1:" + std::to_string(m_port) + "/velquin/"; }
    int port() const { return m_port; }
    const std::string& folder() const { return m_folder; }
    const std::string& certificate() const { return m_cert; }

    // Replaces the steering file; the service forgets registered keys and
    // stored uploads, and requests() forgets the requests logged so far.
    void configure(const nlohmann::json& config);
    // Requests logged since the last configure(), oldest first.
    std::vector<nlohmann::json> requests() const;
    static std::string readFile(const std::string& path);

    ~TestWebService();
    TestWebService(const TestWebService&) = delete;
    TestWebService& operator=(const TestWebService&) = delete;

private:
    TestWebService();
    void makeCertificate();
    void startServer();

    std::string m_folder;
    std::string m_cert;
    std::string m_key;
    std::string m_config;
    std::string m_log;
    std::string m_store;
    size_t m_logOffset = 0;
    int m_port = 0;
    int m_generation = 0;
    int m_pid = -1;
    int m_stdinFd = -1;
};

// Runs a program and waits for it; returns its exit status, -1 when it could not start.
int runProgram(const std::vector<std::string>& argv);

struct ProgramOutput {
    int status = -1;
    std::string out;
    std::string err;
};
// Runs a program with standard input from /dev/null and collects what it prints.
ProgramOutput runCaptured(const std::vector<std::string>& argv);
// A fresh private folder for one test, removed by the caller with removeTree.
std::string makeTempFolder(const std::string& prefix);
void removeTree(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

} // namespace mvx::test

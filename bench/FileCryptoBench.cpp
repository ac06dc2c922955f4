// Prints per-file encryption and decryption throughput with peak memory, many
// small files for two recipients, and secure deletion beside `shred -n 10 -u`.
// Each phase runs in its own child process so its peak memory is its own.
#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "engine/FileDecryptor.h"
#include "engine/FileEncryptor.h"
#include "engine/KeystreamEngine.h"
#include "platform/FileIo.h"
#include "platform/SecureDelete.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using namespace mvx;

namespace {

// Answers nothing and shows messages on standard error.
class QuietInteraction : public IInteraction {
public:
    void showMessage(const std::string& text, MsgIcon, const std::string&) override
    {
        std::fprintf(stderr, "message: %s\n", text.c_str());
    }
    bool askYesNo(const std::string&, MsgIcon, const std::string&) override { return true; }
    bool askOkCancel(const std::string&, MsgIcon, const std::string&) override { return true; }
    int continueConfirm(const std::string&, const std::string&, const std::array<std::string, 4>&) override { return 0; }
    bool noticeWithSilence(const std::string&, const std::string&, const std::string&) override { return true; }
    std::vector<std::string> chooseFiles(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> chooseFolder(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> chooseSavePath(const std::string&, const std::string& p) override { return p; }
    void status(const std::string&) override {}
};

std::string g_keys;  // folder with sender.kpub, senderPrivate.kpri, reader.kpub, readerPrivate.kpri
std::string g_work;

double now()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double peakMiB()
{
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss / 1024.0;
}

void makeFile(const std::string& path, size_t bytes)
{
    std::vector<uint8_t> chunk(1 << 20);
    for (size_t i = 0; i < chunk.size(); ++i)
        chunk[i] = static_cast<uint8_t>(i * 31);
    FdGuard fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
    for (size_t done = 0; done < bytes; done += chunk.size())
        writeFully(fd.get(), chunk.data(), std::min(chunk.size(), bytes - done));
}

template <typename F>
void inChild(F&& phase)
{
    std::fflush(stdout);
    pid_t pid = fork();
    if (pid == 0) {
        phase();
        std::fflush(stdout);
        _exit(0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
}

struct Crypto {
    CMessageTable table;
    QuietInteraction ui;
    CMessenger messenger{table, ui};
    FileEncryptor encryptor{messenger};
    FileDecryptor decryptor{messenger, g_keys + "/reader.kpub", g_keys + "/readerPrivate.kpri"};

    explicit Crypto(std::vector<std::string> recipients)
    {
        encryptor.setSender({g_keys + "/sender.kpub", g_keys + "/senderPrivate.kpri", "Sender", "s@example.org", 0});
        encryptor.setRecipients(std::move(recipients));
        encryptor.setOptionWord(4);
    }
    bool encrypt(const std::string& plain)
    {
        encryptor.resetContentKey();
        return encryptor.encryptBody(plain, plain + ".klx", 0) &&
               encryptor.writeContainerTail(plain + ".klx", plain, kKindMainWindow);
    }
    bool decrypt(const std::string& container, const std::string& out)
    {
        std::string name;
        return decryptor.openContainer(container, name, 0, true) && decryptor.decryptBody(container, out);
    }
};

void bigFile()
{
    const size_t size = 256u << 20;
    const std::string plain = g_work + "/big.bin";
    makeFile(plain, size);
    inChild([&] {
        const double rss0 = peakMiB();
        KeystreamEngine engine;
        engine.setWordCount(8);
        const uint32_t key[8] = {1, 2, 3, 4, 5, 6, 7, 8};
        engine.initialise(key);
        FdGuard in(::open(plain.c_str(), O_RDONLY)), out(::open((plain + ".ks").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
        const double t0 = now();
        engine.transformFile(in.get(), out.get());
        const double s = now() - t0;
        std::printf("keystream file transform alone: %.1f MB/s, peak %.1f MiB (at start %.1f)\n", size / s / 1e6,
                    peakMiB(), rss0);
        ::unlink((plain + ".ks").c_str());
    });
    inChild([&] {
        Crypto c({g_keys + "/reader.kpub"});
        const double t0 = now();
        const bool ok = c.encrypt(plain);
        const double s = now() - t0;
        std::printf("encrypt 256 MiB for one recipient: %.1f MB/s (%s), peak %.1f MiB\n", size / s / 1e6,
                    ok ? "ok" : "FAILED", peakMiB());
    });
    inChild([&] {
        Crypto c({g_keys + "/reader.kpub"});
        const double t0 = now();
        const bool ok = c.decrypt(plain + ".klx", plain + ".out");
        const double s = now() - t0;
        std::printf("decrypt 256 MiB: %.1f MB/s (%s), peak %.1f MiB\n", size / s / 1e6, ok ? "ok" : "FAILED",
                    peakMiB());
    });
    for (const char* suffix : {"", ".klx", ".out"})
        ::unlink((plain + suffix).c_str());
}

void manySmallFiles()
{
    const std::string folder = g_work + "/small";
    ::mkdir(folder.c_str(), 0700);
    const int count = 1000;
    for (int i = 0; i < count; ++i)
        makeFile(folder + "/f" + std::to_string(i), 4096);
    inChild([&] {
        Crypto c({g_keys + "/reader.kpub", g_keys + "/sender.kpub"});
        double t0 = now();
        int ok = 0;
        for (int i = 0; i < count; ++i)
            ok += c.encrypt(folder + "/f" + std::to_string(i));
        const double enc = now() - t0;
        t0 = now();
        int dec = 0;
        for (int i = 0; i < count; ++i) {
            const std::string f = folder + "/f" + std::to_string(i);
            dec += c.decrypt(f + ".klx", f + ".out");
        }
        const double decs = now() - t0;
        std::printf("%d files of 4 KiB, two recipients: encrypt %.2f s (%.0f files/s, %d ok), decrypt %.2f s "
                    "(%.0f files/s, %d ok)\n",
                    count, enc, count / enc, ok, decs, count / decs, dec);
    });
    std::system(("rm -rf " + folder).c_str());
}

void secureDeletion()
{
    const size_t size = 64u << 20;
    const std::string a = g_work + "/shred-a", b = g_work + "/shred-b";
    makeFile(a, size);
    makeFile(b, size);
    double t0 = now();
    const int ok = SecureDelete(a);
    const double ours = now() - t0;
    t0 = now();
    const int rc = std::system(("shred -n 10 -u " + b).c_str());
    const double theirs = now() - t0;
    std::printf("secure deletion of 64 MiB: %.2f s (%s); shred -n 10 -u: %.2f s (exit %d); ratio shred/ours %.2f\n",
                ours, ok ? "ok" : "FAILED", theirs, rc, theirs / ours);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s KEY_FOLDER WORK_FOLDER\n", argv[0]);
        return 2;
    }
    g_keys = argv[1];
    g_work = argv[2];
    bigFile();
    manySmallFiles();
    secureDeletion();
    return 0;
}

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
#include "workbench/BatchContext.h"
#include "workbench/DecryptBatch.h"
#include "workbench/EncryptBatch.h"
#include "workbench/EngineFileCrypto.h"
#include "workbench/IEncryptChooser.h"
#include "workbench/StudioList.h"
#include "workbench/WorkList.h"

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

// One batch as the window runs it: kind 0 for two recipients, then the
// reader decrypts the containers in one batch.
double runBatch(const std::string& ownName, const std::vector<std::string>& files, bool encrypt,
                std::vector<std::string> recipients, size_t& done)
{
    CMessageTable table;
    QuietInteraction ui;
    CMessenger messenger(table, ui);
    StudioList studio;
    WorkList work;
    BatchContext context(messenger, studio, work);
    context.keys.publicKeyFile = g_keys + "/" + ownName + ".kpub";
    context.keys.privateKeyFile = g_keys + "/" + ownName + "Private.kpri";
    context.usePlatformDefaults();
    EngineFileCrypto crypto(messenger, {context.keys.publicKeyFile, context.keys.privateKeyFile, ownName,
                                        ownName + "@example.org", 0});
    context.crypto = &crypto;
    EncryptChoices choices;
    choices.destinations = std::move(recipients);
    choices.options.history = false;
    PresetEncryptChooser chooser(choices);
    context.chooser = &chooser;
    work.setFiles(files);
    const double t0 = now();
    if (encrypt)
        done = EncryptBatch(context).run({}).containers.size();
    else
        done = DecryptBatch(context).run(kKindFromDestinationList).decrypted.size();
    return now() - t0;
}

void manySmallFiles()
{
    const std::string folder = g_work + "/small";
    ::mkdir(folder.c_str(), 0700);
    const int count = 1000;
    std::vector<std::string> plain, containers;
    for (int i = 0; i < count; ++i) {
        plain.push_back(folder + "/f" + std::to_string(i));
        containers.push_back(plain.back() + ".klx");
        makeFile(plain.back(), 4096);
    }
    inChild([&] {
        size_t encrypted = 0, decrypted = 0;
        const double enc = runBatch("sender", plain, true, {g_keys + "/reader.kpub", g_keys + "/sender.kpub"},
                                    encrypted);
        for (const auto& p : plain)
            ::unlink(p.c_str());
        const double dec = runBatch("reader", containers, false, {}, decrypted);
        std::printf("%d files of 4 KiB, two recipients, one batch each: encrypt %.2f s (%.0f files/s, %zu made), "
                    "decrypt %.2f s (%.0f files/s, %zu decrypted)\n",
                    count, enc, count / enc, encrypted, dec, count / dec, decrypted);
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

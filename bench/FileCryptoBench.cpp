// Prints per-file encryption and decryption throughput with peak memory, many
// small files for two recipients, and secure deletion beside `shred -n 10 -u`.
// Each phase runs in its own child process so its peak memory is its own.
#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "engine/FileDecryptor.h"
#include "engine/FileEncryptor.h"
#include "engine/IdentityBlock.h"
#include "engine/KeystreamEngine.h"
#include "engine/RsaKeyWrapper.h"
#include "platform/FileIo.h"
#include "platform/LittleEndian.h"
#include "platform/SecureDelete.h"
#include "workbench/BatchContext.h"
#include "workbench/DecryptBatch.h"
#include "workbench/EncryptBatch.h"
#include "workbench/EngineFileCrypto.h"
#include "workbench/IEncryptChooser.h"
#include "workbench/OwnKeyMaterial.h"
#include "workbench/ProtectedFolder.h"
#include "workbench/StudioList.h"
#include "workbench/WorkList.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sched.h>
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
size_t g_helpers = WorkAhead::spareCores();  // 0 with the phase "alone"
bool g_streams = true;                       // false: one keystream per core, as before eight ran together

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

// The keystream alone over size bytes in memory, a buffer at a time (the yardstick of the file figures).
double keystreamSeconds(size_t size)
{
    std::vector<uint8_t> buffer(KeystreamEngine::kBufferSize, 0x5A);
    KeystreamEngine engine;
    engine.setWordCount(8);
    const uint32_t key[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    engine.initialise(key);
    const double t0 = now();
    for (size_t done = 0; done < size; done += buffer.size())
        engine.transformBuffer(buffer.data(), std::min(buffer.size(), size - done), buffer.data());
    return now() - t0;
}

// Median of the runs.
double median(std::vector<double> runs)
{
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

// Writes one figure from a child process back to the parent through a pipe.
template <typename F>
double timedInChild(F&& phase, double& peak)
{
    int fds[2];
    if (::pipe(fds) != 0)
        std::abort();
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(fds[0]);
        const double result[2] = {phase(), peakMiB()};
        (void)!::write(fds[1], result, sizeof result);
        _exit(0);
    }
    ::close(fds[1]);
    double result[2] = {-1, 0};
    (void)!::read(fds[0], result, sizeof result);
    ::close(fds[0]);
    waitpid(pid, nullptr, 0);
    peak = std::max(peak, result[1]);
    return result[0];
}

// A new container and a new plain file each run, as a user makes them: an
// output truncated over the previous run's would make ext4 flush it on close.
void bigFile(size_t size, int runs)
{
    const std::string plain = g_work + "/big.bin";
    makeFile(plain, size);
    std::vector<double> keystream, encrypt, decrypt;
    double peakEncrypt = 0, peakDecrypt = 0, ignored = 0;
    for (int run = 0; run < runs; ++run) {  // interleaved, so a busy moment hits every figure alike
        keystream.push_back(timedInChild([&] { return keystreamSeconds(size); }, ignored));
        encrypt.push_back(timedInChild([&] {
            Crypto c({g_keys + "/reader.kpub"});
            ::unlink((plain + ".klx").c_str());
            ::sync();  // the previous run's writes are not this run's
            const double t0 = now();
            return c.encrypt(plain) ? now() - t0 : -1.0;
        }, peakEncrypt));
        decrypt.push_back(timedInChild([&] {
            Crypto c({g_keys + "/reader.kpub"});
            ::unlink((plain + ".out").c_str());
            ::sync();
            const double t0 = now();
            return c.decrypt(plain + ".klx", plain + ".out") ? now() - t0 : -1.0;
        }, peakDecrypt));
    }
    const double k = median(keystream), e = median(encrypt), d = median(decrypt);
    std::printf("%zu MiB, median of %d interleaved runs: keystream in memory %.3f s (%.1f MB/s); "
                "encrypt %.3f s (%.1f MB/s, ratio to keystream %.2f, peak %.1f MiB); "
                "decrypt %.3f s (%.1f MB/s, ratio to keystream %.2f, peak %.1f MiB)\n",
                size >> 20, runs, k, size / k / 1e6, e, size / e / 1e6, e / k, peakEncrypt, d, size / d / 1e6, d / k,
                peakDecrypt);
    for (const char* suffix : {"", ".klx", ".out"})
        ::unlink((plain + suffix).c_str());
}

// Runs a program with its output thrown away; its wall time, or -1 when it failed.
double timedRun(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const double t0 = now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, 1);
        ::dup2(null, 2);
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? now() - t0 : -1.0;
}

// The same large files through morvanex-cli, as a user runs it: a fresh
// process, the key set read, the output written under a temporary name,
// flushed to disk and renamed.
void commandLine(const std::string& cli, size_t size, int runs)
{
    const std::string home = g_work + "/cli-home", plain = g_work + "/cli.bin", out = g_work + "/cli-out";
    std::system(("rm -rf " + home + " " + out).c_str());
    ::mkdir(out.c_str(), 0700);
    const std::vector<std::string> global = {cli, "--home", home, "--yes"};
    auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), global.begin(), global.end());
        return args;
    };
    if (timedRun(with({"init", "--key-root", home + "/keys", "--key-name", "bench", "--user", "Bench", "--mail",
                       "bench@example.org"})) < 0) {
        std::printf("command line: init failed\n");
        return;
    }
    makeFile(plain, size);
    std::vector<double> keystream, encrypt, decrypt;
    double ignored = 0;
    for (int run = 0; run < runs; ++run) {
        keystream.push_back(timedInChild([&] { return keystreamSeconds(size); }, ignored));
        ::unlink((plain + ".klx").c_str());
        ::sync();  // the previous run's writes are not this run's
        encrypt.push_back(timedRun(with({"encrypt", plain, "--self"})));
        ::unlink((out + "/cli.bin").c_str());
        ::sync();
        decrypt.push_back(timedRun(with({"decrypt", plain + ".klx", "--out", out})));
    }
    const double k = median(keystream), e = median(encrypt), d = median(decrypt);
    std::printf("morvanex-cli %zu MiB, median of %d interleaved runs: keystream in memory %.3f s; "
                "encrypt %.3f s (ratio %.2f), decrypt %.3f s (ratio %.2f)\n",
                size >> 20, runs, k, e, e / k, d, d / k);
    std::system(("rm -rf " + home + " " + out + " " + plain + " " + plain + ".klx").c_str());
}

double threadCpu()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double processCpu()
{
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    return static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) * 1e-6;
}

// Wall time, and CPU time of the batch's thread and of every thread: on a busy
// machine the batch thread's share shows what a free core would give.
struct BatchTimes {
    double wall = 0, batchThread = 0, allThreads = 0;
    std::string text(const char* what, size_t done, const char* unit) const
    {
        char line[160];
        std::snprintf(line, sizeof line, "%s %.3f s (%zu %s; CPU: batch thread %.3f s, all threads %.3f s)", what, wall,
                      done, unit, batchThread, allThreads);
        return line;
    }
};

// One batch as the window runs it: kind 0 for two recipients, then the
// reader decrypts the containers in one batch.
BatchTimes runBatch(const std::string& ownName, const std::vector<std::string>& files, bool encrypt,
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
    EngineFileCrypto crypto(messenger,
                            {context.keys.publicKeyFile, context.keys.privateKeyFile, ownName, ownName + "@example.org", 0},
                            g_helpers, g_streams);
    context.crypto = &crypto;
    EncryptChoices choices;
    choices.destinations = std::move(recipients);
    choices.options.history = false;
    PresetEncryptChooser chooser(choices);
    context.chooser = &chooser;
    work.setFiles(files);
    const double t0 = now(), thread0 = threadCpu(), process0 = processCpu();
    if (encrypt)
        done = EncryptBatch(context).run({}).containers.size();
    else
        done = DecryptBatch(context).run(kKindFromDestinationList).decrypted.size();
    return {now() - t0, threadCpu() - thread0, processCpu() - process0};
}

// One batch of count files of the given size, encrypted for two recipients, then decrypted by the reader.
void batches(const std::string& label, int count, size_t size)
{
    const std::string folder = g_work + "/batch";
    ::mkdir(folder.c_str(), 0700);
    std::vector<std::string> plain, containers;
    for (int i = 0; i < count; ++i) {
        plain.push_back(folder + "/f" + std::to_string(i));
        containers.push_back(plain.back() + ".klx");
        makeFile(plain.back(), size);
    }
    // ext4 scans past recently deleted inodes when it makes a file: the
    // files of the run before (one core, then every core) would slow this
    // run's file creation down unless they are flushed and a few seconds old.
    ::sync();
    ::sleep(6);
    inChild([&] {
        size_t encrypted = 0, decrypted = 0;
        const BatchTimes enc = runBatch("sender", plain, true, {g_keys + "/reader.kpub", g_keys + "/sender.kpub"},
                                        encrypted);
        for (const auto& p : plain)
            ::unlink(p.c_str());
        const BatchTimes dec = runBatch("reader", containers, false, {}, decrypted);
        std::printf("batch %s: %s, %s, decrypt/encrypt %.2f\n", label.c_str(), enc.text("encrypt", encrypted, "made").c_str(),
                    dec.text("decrypt", decrypted, "decrypted").c_str(), dec.wall / enc.wall);
    });
    std::system(("rm -rf " + folder).c_str());
}

// Restricts this process to the first `cores` cores it may run on.
void useCores(int cores)
{
    cpu_set_t all, chosen;
    CPU_ZERO(&chosen);
    if (sched_getaffinity(0, sizeof all, &all) != 0)
        return;
    for (int cpu = 0, taken = 0; cpu < CPU_SETSIZE && taken < cores; ++cpu)
        if (CPU_ISSET(cpu, &all)) {
            CPU_SET(cpu, &chosen);
            ++taken;
        }
    sched_setaffinity(0, sizeof chosen, &chosen);
}

struct BatchRun {
    double encrypt = 0, decrypt = 0;
    size_t done = 0;
};

// count files of size bytes encrypted for two recipients and decrypted again,
// in a child on `cores` cores (0: all), eight streams together or one per core.
BatchRun streamBatch(int count, size_t size, int cores, bool streams)
{
    const std::string folder = g_work + "/streams";
    ::mkdir(folder.c_str(), 0700);
    std::vector<std::string> plain, containers;
    for (int i = 0; i < count; ++i) {
        plain.push_back(folder + "/f" + std::to_string(i));
        containers.push_back(plain.back() + ".klx");
        makeFile(plain.back(), size);
    }
    double ignored = 0;
    BatchRun run;
    run.encrypt = timedInChild([&] {
        if (cores > 0)
            useCores(cores);
        g_helpers = WorkAhead::spareCores();
        g_streams = streams;
        size_t made = 0;
        const BatchTimes t = runBatch("sender", plain, true, {g_keys + "/reader.kpub", g_keys + "/sender.kpub"}, made);
        return made == plain.size() ? t.wall : -1.0;
    }, ignored);
    for (const auto& p : plain)
        ::unlink(p.c_str());
    run.decrypt = timedInChild([&] {
        if (cores > 0)
            useCores(cores);
        g_helpers = WorkAhead::spareCores();
        g_streams = streams;
        size_t decrypted = 0;
        const BatchTimes t = runBatch("reader", containers, false, {}, decrypted);
        return decrypted == containers.size() ? t.wall : -1.0;
    }, ignored);
    std::system(("rm -rf " + folder).c_str());
    return run;
}

// The figures of several keystreams per core, each beside one keystream per
// core (as before) measured in the same run; medians of interleaved runs.
void streamFigures(int runs)
{
    struct Figure {
        const char* what;
        int count;
        size_t size;
        int cores;
    };
    const Figure figures[] = {
        {"64 x 16 MiB, every core", 64, 16u << 20, 0},
        {"8 x 16 MiB, every core", 8, 16u << 20, 0},
        {"8 x 16 MiB, one core", 8, 16u << 20, 1},
        {"8 x 32 MiB, one core", 8, 32u << 20, 1},
        {"1 x 256 MiB, one core", 1, 256u << 20, 1},
        {"1 x 256 MiB, every core", 1, 256u << 20, 0},
    };
    std::vector<std::vector<double>> times(std::size(figures) * 4);
    for (int r = 0; r < runs; ++r)
        for (size_t f = 0; f < std::size(figures); ++f)
            for (int streams = 0; streams < 2; ++streams) {
                const BatchRun run = streamBatch(figures[f].count, figures[f].size, figures[f].cores, streams == 1);
                times[4 * f + 2 * streams].push_back(run.encrypt);
                times[4 * f + 2 * streams + 1].push_back(run.decrypt);
            }
    auto at = [&](size_t f, int streams, int decrypt) { return median(times[4 * f + 2 * streams + decrypt]); };
    for (size_t f = 0; f < std::size(figures); ++f)
        std::printf("batch %s, median of %d: encrypt %.3f s (one stream per core %.3f s, %.2fx), "
                    "decrypt %.3f s (one stream per core %.3f s, %.2fx)\n",
                    figures[f].what, runs, at(f, 1, 0), at(f, 0, 0), at(f, 0, 0) / at(f, 1, 0), at(f, 1, 1),
                    at(f, 0, 1), at(f, 0, 1) / at(f, 1, 1));
    for (int streams = 1; streams >= 0; --streams) {
        const char* how = streams ? "eight streams per core" : "one stream per core (before)";
        std::printf("%s: one core, 8 x 32 MiB / 1 x 256 MiB speed: encrypt %.2fx, decrypt %.2fx; "
                    "8 x 16 MiB, every core / one core speed: encrypt %.2fx, decrypt %.2fx\n",
                    how, at(4, streams, 0) / at(3, streams, 0), at(4, streams, 1) / at(3, streams, 1),
                    at(2, streams, 0) / at(1, streams, 0), at(2, streams, 1) / at(1, streams, 1));
    }
}

// The sender's self-authentication key: its public key with its identity hash sealed for itself.
std::string makeSelfAuthKey(const std::string& folder)
{
    const std::string publicFile = g_keys + "/sender.kpub", privateFile = g_keys + "/senderPrivate.kpri";
    auto file = *readWholeFile(publicFile, 64 * 1024);
    std::vector<uint8_t> bytes(file.begin(), file.end());
    std::vector<uint8_t> record(115, 0);
    const auto hash = IdentityBlock::fromPrivateKeyPath(privateFile)->hash();
    std::copy(hash.begin(), hash.end(), record.begin());
    RsaKeyWrapper rsa;
    std::vector<uint8_t> sealed;
    if (rsa.loadFromFile(publicFile) != 1 || rsa.encrypt(record.data(), record.size(), sealed) != 1)
        std::abort();
    uint8_t length[4];
    putLe32(length, static_cast<uint32_t>(sealed.size()));
    bytes.insert(bytes.end(), length, length + 4);
    bytes.insert(bytes.end(), sealed.begin(), sealed.end());
    const std::string path = folder + "/sender))sender-auth.kpub";
    FdGuard fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600));
    writeFully(fd.get(), bytes.data(), bytes.size());
    return path;
}

// The protected folder closing on lock (batch kind 6, the key material read
// at start): from the call until every container is durable and the plain
// files are destroyed, in a child process.
double lockToClosed(const std::string& folder, const std::string& selfAuth, bool streams)
{
    double ignored = 0;
    return timedInChild([&] {
        CMessageTable table;
        QuietInteraction ui;
        CMessenger messenger(table, ui);
        StudioList studio;
        WorkList work;
        BatchContext context(messenger, studio, work);
        context.keys.publicKeyFile = g_keys + "/sender.kpub";
        context.keys.privateKeyFile = g_keys + "/senderPrivate.kpri";
        context.keys.selfAuthKeyFile = selfAuth;
        context.usePlatformDefaults();
        auto material = OwnKeyMaterial::read(context.keys);
        if (!material)
            return -1.0;
        EngineFileCrypto crypto(messenger, {context.keys.publicKeyFile, context.keys.privateKeyFile, "sender",
                                            "sender@example.org", 0},
                                WorkAhead::spareCores(), streams);
        crypto.setCachedMaterial(&*material);
        context.crypto = &crypto;
        const double t0 = now();
        const ProtectedFolderClosing closing = ProtectedFolder(context, folder).encryptAtExit(false);
        const double seconds = now() - t0;
        return closing.closed() && closing.encryption.containers.size() == work.size() ? seconds : -1.0;
    }, ignored);
}

// Lock to closed for 1 GiB in 200 files and 10,000 small files, eight
// streams per core beside one stream per core, in each of the folders.
void lockFigures(const std::vector<std::string>& places, int runs)
{
    struct Load {
        const char* what;
        int count;
        size_t size;
    };
    const Load loads[] = {{"1 GiB in 200 files", 200, (1u << 30) / 200 / 16 * 16}, {"10,000 files of 4 KiB", 10000, 4096}};
    const std::string selfAuth = makeSelfAuthKey(g_work);
    for (const std::string& place : places)
        for (const Load& load : loads) {
            const std::string folder = place + "/mvx-protected";
            std::vector<double> times[2];
            for (int r = 0; r < runs; ++r)
                for (int streams = 1; streams >= 0; --streams) {
                    std::system(("rm -rf " + folder).c_str());
                    ::mkdir(folder.c_str(), 0700);
                    for (int i = 0; i < load.count; ++i)
                        makeFile(folder + "/f" + std::to_string(i) + ".bin", load.size);
                    ::sync();
                    times[streams].push_back(lockToClosed(folder, selfAuth, streams == 1));
                }
            std::system(("rm -rf " + folder).c_str());
            const double together = median(times[1]), before = median(times[0]);
            std::printf("lock to closed, %s in %s, median of %d: %.2f s (one stream per core %.2f s, %.2fx)\n",
                        load.what, place.c_str(), runs, together, before, before / together);
        }
    ::unlink(selfAuth.c_str());
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
        std::fprintf(stderr, "usage: %s KEY_FOLDER WORK_FOLDER [files|alone|batches|small|large|shred|command=CLI_PATH]...\n", argv[0]);
        return 2;
    }
    g_keys = argv[1];
    g_work = argv[2];
    std::vector<std::string> phases(argv + 3, argv + argc);
    if (phases.empty())
        phases = {"files", "batches", "shred"};
    for (const std::string& phase : phases) {
        if (phase == "files") {
            bigFile(256u << 20, 5);
            bigFile(1024u << 20, 3);
        } else if (phase == "batches") {
            batches("1000 x 4 KiB", 1000, 4096);
            batches("8 x 64 MiB", 8, 64u << 20);
        } else if (phase == "large") {
            batches("8 x 64 MiB", 8, 64u << 20);
        } else if (phase == "small") {
            batches("1000 x 4 KiB", 1000, 4096);
        } else if (phase.rfind("lock=", 0) == 0) {
            // lock=FOLDER[,FOLDER...]: lock to closed in each folder (a tmpfs, a disk)
            std::vector<std::string> places;
            for (size_t from = 5; from <= phase.size();) {
                const size_t comma = std::min(phase.find(',', from), phase.size());
                places.push_back(phase.substr(from, comma - from));
                from = comma + 1;
            }
            lockFigures(places, 3);
        } else if (phase == "streams") {
            streamFigures(3);
        } else if (phase == "alone") {
            g_helpers = 0;  // the batches that follow run without helpers, whatever the cores
        } else if (phase.rfind("command=", 0) == 0) {
            commandLine(phase.substr(8), 256u << 20, 5);
            commandLine(phase.substr(8), 1024u << 20, 3);
        } else if (phase == "shred") {
            secureDeletion();
        }
    }
    return 0;
}

// Prints keystream throughput: in memory (MB/s and time-stamp cycles per
// byte) and through files (MB/s and peak resident memory).
#include "engine/KeystreamEngine.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>
#include <x86intrin.h>

using namespace mvx;

namespace {

const uint32_t kKey[8] = {1, 2, 3, 4, 5, 6, 7, 8};

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

long peakRssKiB()
{
    struct rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

void inMemory(size_t bytes)
{
    std::vector<uint8_t> data(bytes, 0x5A);
    KeystreamEngine engine;
    engine.setWordCount(8);
    engine.initialise(kKey);
    auto t0 = std::chrono::steady_clock::now();
    const unsigned long long c0 = __rdtsc();
    engine.transformBuffer(data.data(), data.size(), data.data());
    const unsigned long long cycles = __rdtsc() - c0;
    const double s = seconds(t0);
    std::printf("keystream in memory: %zu MiB in %.3f s = %.1f MB/s, %.2f TSC cycles/byte (checksum %u)\n",
                bytes >> 20, s, bytes / s / 1e6, static_cast<double>(cycles) / bytes, data[bytes / 2]);
}

void throughFiles(const std::string& folder, size_t bytes)
{
    const std::string in = folder + "/bench-in", out = folder + "/bench-out";
    {
        std::vector<uint8_t> chunk(1 << 20, 0x33);
        int fd = ::open(in.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        for (size_t done = 0; done < bytes; done += chunk.size())
            if (::write(fd, chunk.data(), chunk.size()) < 0)
                std::abort();
        ::close(fd);
    }
    const long rssBefore = peakRssKiB();
    KeystreamEngine engine;
    engine.setWordCount(8);
    engine.initialise(kKey);
    int fin = ::open(in.c_str(), O_RDONLY);
    int fout = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    auto t0 = std::chrono::steady_clock::now();
    const bool ok = engine.transformFile(fin, fout);
    const double s = seconds(t0);
    ::close(fin);
    ::close(fout);
    ::unlink(in.c_str());
    ::unlink(out.c_str());
    std::printf("keystream file transform: %zu MiB in %.3f s = %.1f MB/s (%s), peak RSS %.1f MiB (before: %.1f MiB)\n",
                bytes >> 20, s, bytes / s / 1e6, ok ? "ok" : "FAILED", peakRssKiB() / 1024.0, rssBefore / 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string folder = argc > 1 ? argv[1] : "/tmp";
    // File first, so its peak memory is not hidden by the in-memory buffer.
    throughFiles(folder, 256u << 20);
    inMemory(64u << 20);
    return 0;
}

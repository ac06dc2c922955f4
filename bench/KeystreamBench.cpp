// Prints keystream throughput: in memory (MB/s and time-stamp cycles per
// byte), eight streams at once on one core beside one stream, and through
// files (MB/s and peak resident memory).
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

// Returns MB/s.
double inMemory(size_t bytes)
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
    return bytes / s / 1e6;
}

// Eight streams of perStream bytes advanced together a chunk at a time, as a
// batch does; returns the seconds.
double streamsTogether(size_t perStream, bool scalar)
{
    constexpr size_t kChunk = 256 * 1024;
    KeystreamEngine::setScalarStreams(scalar);
    KeystreamEngine engines[KeystreamEngine::kMaxStreams];
    std::vector<std::vector<uint8_t>> chunks;
    KeystreamEngine* pointers[KeystreamEngine::kMaxStreams];
    uint8_t* data[KeystreamEngine::kMaxStreams];
    size_t lengths[KeystreamEngine::kMaxStreams];
    for (size_t s = 0; s < KeystreamEngine::kMaxStreams; ++s) {
        uint32_t key[8];
        for (int w = 0; w < 8; ++w)
            key[w] = kKey[w] + static_cast<uint32_t>(s) * 0x9E3779B9u;
        engines[s].setWordCount(8);
        engines[s].initialise(key);
        chunks.emplace_back(kChunk, static_cast<uint8_t>(s));
        pointers[s] = &engines[s];
        data[s] = chunks[s].data();
        lengths[s] = kChunk;
    }
    auto t0 = std::chrono::steady_clock::now();
    for (size_t done = 0; done < perStream; done += kChunk)
        KeystreamEngine::transformChunks(pointers, data, lengths, KeystreamEngine::kMaxStreams);
    const double s = seconds(t0);
    KeystreamEngine::setScalarStreams(false);
    return s;
}

void eightStreams(size_t perStream, double oneStreamMBs)
{
    const size_t total = perStream * KeystreamEngine::kMaxStreams;
    const unsigned long long c0 = __rdtsc();
    const double vector = streamsTogether(perStream, false);
    const unsigned long long c1 = __rdtsc();
    const double scalar = streamsTogether(perStream, true);
    const unsigned long long c2 = __rdtsc();
    std::printf("eight streams of %zu MiB on one core (%s): %.3f s = %.1f MB/s, %.2f TSC cycles/byte; "
                "scalar step: %.3f s = %.1f MB/s, %.2f TSC cycles/byte; vector / scalar speed %.2fx\n",
                perStream >> 20, KeystreamEngine::streamsUseAvx2() ? "AVX2" : "no AVX2, scalar", vector,
                total / vector / 1e6, static_cast<double>(c1 - c0) / total, scalar, total / scalar / 1e6,
                static_cast<double>(c2 - c1) / total, scalar / vector);
    std::printf("eight streams together / one stream, per core: %.2fx\n", total / vector / 1e6 / oneStreamMBs);
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
    const double oneStream = inMemory(64u << 20);
    eightStreams(32u << 20, oneStream);
    return 0;
}

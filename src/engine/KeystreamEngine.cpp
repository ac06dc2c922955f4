#include "engine/KeystreamEngine.h"

#include "platform/FileIo.h"
#include "platform/LittleEndian.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace mvx {

namespace {

// x forced to 1 modulo 4: (x AND 0xFFFFFFFD) OR 1, written as one mask and an
// addition so that 2p + forcedOdd(q) becomes a single address computation.
inline uint32_t forcedOdd(uint32_t x) { return (x & 0xFFFFFFFCu) + 1u; }

// XORs up to 16 bytes with the keystream block (state words 4..7, little-endian).
inline void xorBlock(const uint32_t* state, const uint8_t* src, uint8_t* dst, size_t length)
{
    uint8_t key[16];
    for (int i = 0; i < 4; ++i)
        putLe32(key + 4 * i, state[4 + i]);
    for (size_t i = 0; i < length; ++i)
        dst[i] = static_cast<uint8_t>(src[i] ^ key[i]);
}

// The eight rounds of one step over a state held in local words (registers).
inline void stepState(uint32_t* p)
{
    // Unrolled at -O2 as well, as -O3 does.
#pragma GCC unroll 8
    for (int round = 0; round < 8; ++round) {
        const uint32_t t0 = p[0] * (2 * p[0] + forcedOdd(p[5]));
        const uint32_t t1 = p[1] * (2 * p[1] + forcedOdd(p[4]));
        const uint32_t t2 = p[2] * (2 * p[2] + forcedOdd(p[6]));
        const uint32_t t3 = p[3] * (2 * p[3] + forcedOdd(p[7]));
        const uint32_t t4 = p[4] * (2 * p[4] + forcedOdd(p[2]));
        const uint32_t t5 = p[5] * (2 * p[5] + forcedOdd(p[3]));
        const uint32_t t6 = p[6] * (2 * p[6] + forcedOdd(p[0]));
        const uint32_t t7 = p[7] * (2 * p[7] + forcedOdd(p[1]));
        p[0] = (t0 << 5) | (t1 >> 27);
        p[1] = (t1 << 5) | (t2 >> 27);
        p[2] = (t2 << 5) | (t3 >> 27);
        p[3] = (t3 << 5) | (t4 >> 27);
        p[4] = (t4 << 5) | (t5 >> 27);
        p[5] = (t5 << 5) | (t6 >> 27);
        p[6] = (t6 << 5) | (t7 >> 27);
        p[7] = (t7 << 5) | (t0 >> 27);
    }
}

inline void xorFullBlock(const uint32_t* state, const uint8_t* src, uint8_t* dst)
{
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i)
        putLe32(dst + 4 * i, getLe32(src + 4 * i) ^ state[4 + i]);
}

} // namespace

KeystreamEngine::KeystreamEngine() = default;

KeystreamEngine::~KeystreamEngine()
{
    buffer_.reset();
    if (keyed_)
        clear(false);
}

int KeystreamEngine::initialise(const uint32_t* keyWords)
{
    if (wordCount_ != kWords)
        return 0;
    state_.fill(0);
    initial_.fill(0);
    packed_ = 0;
    for (int i = 0; i < kWords - 1; ++i) {
        state_[i] = keyWords[i] & 0x3FFFFFFFu;
        initial_[i] = state_[i];
        packed_ |= (0xC0000000u >> (2 * i + 2)) & keyWords[i];
    }
    state_[7] = (keyWords[7] & 0xFFFFu) | packed_;
    initial_[7] = state_[7];
    keyed_ = true;
    return 4 * wordCount_;
}

void KeystreamEngine::copyInitialState(uint32_t* destination) const
{
    std::copy(initial_.begin(), initial_.end(), destination);
}

void KeystreamEngine::step()
{
    uint32_t p[8];
    std::copy(state_.begin(), state_.end(), p);
    stepState(p);
    std::copy(p, p + 8, state_.begin());
}

void KeystreamEngine::transformBuffer(const void* source, size_t length, void* destination)
{
    const auto* src = static_cast<const uint8_t*>(source);
    auto* dst = static_cast<uint8_t*>(destination);
    uint32_t p[8];
    std::copy(state_.begin(), state_.end(), p);
    while (length > kBlockSize) {
        xorFullBlock(p, src, dst);
        stepState(p);
        src += kBlockSize;
        dst += kBlockSize;
        length -= kBlockSize;
    }
    if (length > 0)
        xorBlock(p, src, dst, length);
    std::copy(p, p + 8, state_.begin());
}

void KeystreamEngine::transformChunk(size_t length) { transformChunkAt(buffer_.get(), length); }

void KeystreamEngine::transformChunkAt(uint8_t* p, size_t length)
{
    uint32_t state[8];
    std::copy(state_.begin(), state_.end(), state);
    const size_t full = length / kBlockSize;
    for (size_t b = 0; b < full; ++b, p += kBlockSize) {
        xorFullBlock(state, p, p);
        stepState(state);
    }
    if (size_t rest = length % kBlockSize) {
        xorBlock(state, p, p, rest);
        stepState(state);
    }
    std::copy(state, state + 8, state_.begin());
}

namespace {

// Bytes from the current position to the end of a regular file; nullopt for other inputs.
std::optional<uint64_t> bytesLeftIn(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    const off_t at = ::lseek(fd, 0, SEEK_CUR);
    if (at < 0)
        return std::nullopt;
    return st.st_size > at ? static_cast<uint64_t>(st.st_size - at) : 0;
}

} // namespace

bool KeystreamEngine::stopRequested()
{
    stopped_ = stop_ && stop_->load();
    return stopped_;
}

bool KeystreamEngine::transformFile(int inputFd, int outputFd)
{
    stopped_ = false;
    const auto left = bytesLeftIn(inputFd);
    if (left && *left <= kBufferSize)
        return transformSmall(inputFd, 0, true, outputFd);
    return transformPipelined(inputFd, 0, true, outputFd) == ChunkPipeline::Result::Done;
}

bool KeystreamEngine::transformFilePart(int inputFd, uint64_t byteCount, int outputFd)
{
    stopped_ = false;
    if (byteCount <= kBufferSize)
        return transformSmall(inputFd, byteCount, false, outputFd);
    return transformPipelined(inputFd, byteCount, false, outputFd) == ChunkPipeline::Result::Done;
}

bool KeystreamEngine::transformSmall(int inputFd, uint64_t byteCount, bool unlimited, int outputFd)
{
    // Most engines only ever see a record tail or a key blob: the file buffer comes with the first file.
    if (!buffer_)
        buffer_.reset(new uint8_t[kBufferSize]);
    for (;;) {
        const size_t want = unlimited ? kBufferSize : static_cast<size_t>(std::min<uint64_t>(kBufferSize, byteCount));
        if (want == 0)
            return true;
        if (stopRequested())
            return false;
        const long long n = readFully(inputFd, buffer_.get(), want);
        if (n < 0)
            return false;
        if (n > 0) {
            transformChunk(static_cast<size_t>(n));
            if (!writeFully(outputFd, buffer_.get(), static_cast<size_t>(n)))
                return false;
        }
        if (static_cast<size_t>(n) < want)
            return unlimited;  // a limited part fails when the input ends early
        byteCount -= static_cast<uint64_t>(n);
    }
}

ChunkPipeline::Result KeystreamEngine::transformPipelined(int inputFd, uint64_t byteCount, bool unlimited,
                                                          int outputFd)
{
    if (!pipeline_)
        pipeline_ = std::make_unique<ChunkPipeline>(kBufferSize);
    return pipeline_->run(inputFd, byteCount, unlimited, outputFd,
                          [this](uint8_t* data, size_t length) {
                              if (stopRequested())
                                  return false;
                              transformChunkAt(data, length);
                              return true;
                          });
}

void KeystreamEngine::clear(bool keepWordCount)
{
    // volatile stores so the key words do not survive in memory
    volatile uint32_t* s = state_.data();
    volatile uint32_t* i = initial_.data();
    for (int k = 0; k < kWords; ++k) {
        s[k] = 0;
        i[k] = 0;
    }
    packed_ = 0;
    keyed_ = false;
    if (!keepWordCount)
        wordCount_ = -1;
}

} // namespace mvx

// KeystreamEngine::transformChunks: the step is serial within one stream,
// but independent streams run side by side, word i of eight streams in one
// AVX2 register.
#include "engine/KeystreamEngine.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <immintrin.h>

namespace mvx {

namespace {

// Below this many streams with blocks left, the scalar step per stream is faster.
constexpr size_t kMinVectorStreams = 3;

bool scalarFromEnvironment()
{
    const char* value = std::getenv("MVX_SCALAR_KEYSTREAM");
    return value && std::strcmp(value, "1") == 0;
}

std::atomic<bool>& scalarForced()
{
    static std::atomic<bool> forced{scalarFromEnvironment()};
    return forced;
}

bool cpuHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// One lane of the vector kernel: where its next block lies and how far to move after it.
struct Lane {
    uint8_t* data;
    size_t advance;  // 0 for a lane without a stream (it works on scratch)
};

__attribute__((target("avx2"))) inline __m256i forcedOdd8(__m256i x)
{
    return _mm256_add_epi32(_mm256_and_si256(x, _mm256_set1_epi32(static_cast<int>(0xFFFFFFFCu))),
                            _mm256_set1_epi32(1));
}

__attribute__((target("avx2"))) inline __m256i product8(__m256i p, __m256i partner)
{
    return _mm256_mullo_epi32(p, _mm256_add_epi32(_mm256_add_epi32(p, p), forcedOdd8(partner)));
}

__attribute__((target("avx2"))) inline __m256i joined8(__m256i high, __m256i low)
{
    return _mm256_or_si256(_mm256_slli_epi32(high, 5), _mm256_srli_epi32(low, 27));
}

// The eight rounds of the scalar step, on eight streams at once.
__attribute__((target("avx2"))) inline void stepLanes(__m256i* p)
{
    for (int round = 0; round < 8; ++round) {
        const __m256i t0 = product8(p[0], p[5]);
        const __m256i t1 = product8(p[1], p[4]);
        const __m256i t2 = product8(p[2], p[6]);
        const __m256i t3 = product8(p[3], p[7]);
        const __m256i t4 = product8(p[4], p[2]);
        const __m256i t5 = product8(p[5], p[3]);
        const __m256i t6 = product8(p[6], p[0]);
        const __m256i t7 = product8(p[7], p[1]);
        p[0] = joined8(t0, t1);
        p[1] = joined8(t1, t2);
        p[2] = joined8(t2, t3);
        p[3] = joined8(t3, t4);
        p[4] = joined8(t4, t5);
        p[5] = joined8(t5, t6);
        p[6] = joined8(t6, t7);
        p[7] = joined8(t7, t0);
    }
}

__attribute__((target("avx2"))) inline void xorLane(Lane& lane, __m128i key)
{
    auto* at = reinterpret_cast<__m128i*>(lane.data);
    _mm_storeu_si128(at, _mm_xor_si128(_mm_loadu_si128(at), key));
    lane.data += lane.advance;
}

// XORs each lane's block with its keystream block (words 4..7 of its state,
// little-endian): a 4 x 8 transpose of the words into one block per lane.
__attribute__((target("avx2"))) inline void xorLanes(const __m256i* p, Lane* lanes)
{
    const __m256i a = _mm256_unpacklo_epi32(p[4], p[5]);  // lanes 0, 1 | 4, 5
    const __m256i b = _mm256_unpackhi_epi32(p[4], p[5]);  // lanes 2, 3 | 6, 7
    const __m256i c = _mm256_unpacklo_epi32(p[6], p[7]);
    const __m256i d = _mm256_unpackhi_epi32(p[6], p[7]);
    const __m256i k04 = _mm256_unpacklo_epi64(a, c);
    const __m256i k15 = _mm256_unpackhi_epi64(a, c);
    const __m256i k26 = _mm256_unpacklo_epi64(b, d);
    const __m256i k37 = _mm256_unpackhi_epi64(b, d);
    xorLane(lanes[0], _mm256_castsi256_si128(k04));
    xorLane(lanes[1], _mm256_castsi256_si128(k15));
    xorLane(lanes[2], _mm256_castsi256_si128(k26));
    xorLane(lanes[3], _mm256_castsi256_si128(k37));
    xorLane(lanes[4], _mm256_extracti128_si256(k04, 1));
    xorLane(lanes[5], _mm256_extracti128_si256(k15, 1));
    xorLane(lanes[6], _mm256_extracti128_si256(k26, 1));
    xorLane(lanes[7], _mm256_extracti128_si256(k37, 1));
}

// blocks full blocks of every lane: XOR, then step, as the scalar loop does.
// states holds word w of lane l at states[w * 8 + l].
__attribute__((target("avx2"))) void transformLanesAvx2(uint32_t* states, Lane* lanes, size_t blocks)
{
    __m256i p[8];
    for (int w = 0; w < 8; ++w)
        p[w] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(states + 8 * w));
    for (size_t b = 0; b < blocks; ++b) {
        xorLanes(p, lanes);
        stepLanes(p);
    }
    for (int w = 0; w < 8; ++w)
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(states + 8 * w), p[w]);
}

} // namespace

void KeystreamEngine::setScalarStreams(bool scalar) { scalarForced() = scalar; }

bool KeystreamEngine::streamsUseAvx2() { return cpuHasAvx2() && !scalarForced(); }

void KeystreamEngine::transformChunks(KeystreamEngine* const* engines, uint8_t* const* chunks, const size_t* lengths,
                                      size_t count)
{
    count = std::min(count, kMaxStreams);
    size_t done[kMaxStreams] = {};  // bytes of full blocks done per stream
    alignas(32) uint8_t scratch[kBlockSize] = {};
    for (;;) {
        size_t streams[kMaxStreams], active = 0, blocks = SIZE_MAX;
        for (size_t s = 0; s < count; ++s) {
            const size_t left = (lengths[s] - done[s]) / kBlockSize;
            if (left > 0) {
                streams[active++] = s;
                blocks = std::min(blocks, left);
            }
        }
        if (active < kMinVectorStreams || !streamsUseAvx2())
            break;
        alignas(32) uint32_t states[8 * kMaxStreams] = {};
        Lane lanes[kMaxStreams];
        for (size_t l = 0; l < kMaxStreams; ++l) {
            lanes[l] = {scratch, 0};
            if (l >= active)
                continue;
            const size_t s = streams[l];
            lanes[l] = {chunks[s] + done[s], kBlockSize};
            for (int w = 0; w < kWords; ++w)
                states[8 * w + l] = engines[s]->state_[w];
        }
        transformLanesAvx2(states, lanes, blocks);
        for (size_t l = 0; l < active; ++l) {
            const size_t s = streams[l];
            for (int w = 0; w < kWords; ++w)
                engines[s]->state_[w] = states[8 * w + l];
            done[s] += blocks * kBlockSize;
        }
        std::memset(states, 0, sizeof states);
    }
    // What is left: every block of too few streams, and each partial last block.
    for (size_t s = 0; s < count; ++s)
        engines[s]->transformChunkAt(chunks[s] + done[s], lengths[s] - done[s]);
}

} // namespace mvx

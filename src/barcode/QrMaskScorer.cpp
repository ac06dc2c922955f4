#include "barcode/QrMaskScorer.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace mvx::qr {
namespace {

using Line = QrMaskScorer::Line;
constexpr int kWords = QrMaskScorer::kWords;
// Every pattern repeats after 12 rows and after 12 columns.
constexpr int kPeriod = 12;

using PatternLines = std::array<std::array<Line, kPeriod>, kMaskPatterns>;

// Bits j of row i (rows) or bits i of column j (columns) where the pattern inverts.
constexpr PatternLines makePatternLines(bool columns)
{
    PatternLines table{};
    for (int p = 0; p < kMaskPatterns; ++p)
        for (int r = 0; r < kPeriod; ++r)
            for (int k = 0; k < kWords * 64; ++k) {
                const bool inverts = columns ? maskCondition(p, k, r) : maskCondition(p, r, k);
                if (inverts)
                    table[p][r].w[k / 64] |= uint64_t{1} << (k % 64);
            }
    return table;
}

constexpr PatternLines kRowPatterns = makePatternLines(false);
constexpr PatternLines kColumnPatterns = makePatternLines(true);

// The line helpers below work on the first Words words of a line, those a
// symbol's size fills; the other words stay zero.

// bit x of the result = bit x + k of a (k < 64)
template <int Words>
inline Line shiftDown(const Line& a, int k)
{
    Line r{};
    #pragma GCC unroll 3
    for (int i = 0; i < Words - 1; ++i)
        r.w[i] = a.w[i] >> k | (k ? a.w[i + 1] << (64 - k) : 0);
    r.w[Words - 1] = a.w[Words - 1] >> k;
    return r;
}

// bit x of the result = bit x - 1 of a, 0 at x = 0
template <int Words>
inline Line shiftUpOne(const Line& a)
{
    Line r{};
    r.w[0] = a.w[0] << 1;
    #pragma GCC unroll 3
    for (int i = 1; i < Words; ++i)
        r.w[i] = a.w[i] << 1 | a.w[i - 1] >> 63;
    return r;
}

template <int Words>
inline Line firstBits(int n)
{
    Line r{};
    #pragma GCC unroll 3
    for (int i = 0; i < Words; ++i) {
        const int bits = n - 64 * i;
        r.w[i] = bits >= 64 ? ~uint64_t{0} : bits <= 0 ? 0 : (uint64_t{1} << bits) - 1;
    }
    return r;
}

// Bits set in one word, in plain arithmetic: the baseline x86-64 that
// distributions build for has no popcount instruction, and std::popcount
// becomes a library call there.
inline int bitCount(uint64_t x)
{
    x -= (x >> 1) & 0x5555555555555555ull;
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((x * 0x0101010101010101ull) >> 56);
}

template <int Words>
inline int popcount(const Line& a)
{
    int c = 0;
    #pragma GCC unroll 3
    for (int i = 0; i < Words; ++i)
        c += bitCount(a.w[i]);
    return c;
}

// The three kinds of module a line is made of, one bit per module.
struct Planes {
    uint64_t function = 0;
    uint64_t functionDark = 0;
    uint64_t data = 0;  // unmasked data bit of a module that is no function module
};

constexpr uint64_t kEveryByte = 0x0101010101010101ull;

// Bit 0 of byte k (each byte 0 or 1) to bit k: the product puts every bit at
// a distinct place, so nothing carries into the top byte.
inline uint64_t packBytes(uint64_t bytes) { return bytes * 0x0102040810204080ull >> 56; }

// Eight matrix bytes, the first in the lowest byte, to three 8-bit planes.
inline Planes planesOfEight(uint64_t modules)
{
    static_assert(kFunction == 0x20 && kFunctionDark == 0x10 && kDataBit == 0x02);
    const uint64_t function = modules >> 5 & kEveryByte;
    return {packBytes(function), packBytes(modules >> 4 & kEveryByte), packBytes(modules >> 1 & ~function & kEveryByte)};
}

// Up to eight matrix bytes, the first in the lowest byte, zeros behind them.
inline uint64_t loadModules(const uint8_t* modules, int count)
{
    uint8_t bytes[8] = {};
    std::memcpy(bytes, modules, static_cast<size_t>(count));
    uint64_t word = 0;
    #pragma GCC unroll 8
    for (int k = 0; k < 8; ++k)
        word |= uint64_t{bytes[k]} << (8 * k);
    return word;
}

// An 8 x 8 bit block: bit c of byte r and bit r of byte c change places.
inline uint64_t transposeBits(uint64_t x)
{
    uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x ^= t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x ^= t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    x ^= t ^ (t << 28);
    return x;
}

// N1 and N3 of one row or column of n modules.
template <int Words>
int linePenalty(const Line& a, int n)
{
    const Line inside = firstBits<Words>(n);
    // N1: with w5 marking the starts of five equal modules, a run of L >= 5
    // holds L - 4 of them and one first one: L - 4 + 2 = 3 + (L - 5).
    Line same{};  // bit x: module x equals module x + 1
    const Line next = shiftDown<Words>(a, 1);
    const Line pairs = firstBits<Words>(n - 1);
    #pragma GCC unroll 3
    for (int i = 0; i < Words; ++i)
        same.w[i] = ~(a.w[i] ^ next.w[i]) & pairs.w[i];
    const Line s1 = shiftDown<Words>(same, 1);
    const Line s2 = shiftDown<Words>(same, 2);
    const Line s3 = shiftDown<Words>(same, 3);
    Line five{};
    #pragma GCC unroll 3
    for (int i = 0; i < Words; ++i)
        five.w[i] = same.w[i] & s1.w[i] & s2.w[i] & s3.w[i];
    const Line fiveBefore = shiftUpOne<Words>(five);
    Line firstOfRun{};
    #pragma GCC unroll 3
    for (int i = 0; i < Words; ++i)
        firstOfRun.w[i] = five.w[i] & ~fiveBefore.w[i];
    int score = popcount<Words>(five) + 2 * popcount<Words>(firstOfRun);

    // N3: dark light dark dark dark light dark, light or the edge on both sides.
    Line light{};
    #pragma GCC unroll 3
    for (int i = 0; i < Words; ++i)
        light.w[i] = ~a.w[i] & inside.w[i];
    const Line l1 = shiftDown<Words>(light, 1);
    const Line a2 = shiftDown<Words>(a, 2);
    const Line a3 = shiftDown<Words>(a, 3);
    const Line a4 = shiftDown<Words>(a, 4);
    const Line l5 = shiftDown<Words>(light, 5);
    const Line a6 = shiftDown<Words>(a, 6);
    const Line a7 = shiftDown<Words>(a, 7);
    const Line before = shiftUpOne<Words>(a);
    Line found{};
    #pragma GCC unroll 3
    for (int i = 0; i < Words; ++i)
        found.w[i] = a.w[i] & l1.w[i] & a2.w[i] & a3.w[i] & a4.w[i] & l5.w[i] & a6.w[i] & ~a7.w[i] & ~before.w[i];
    score += 40 * popcount<Words>(found);
    return score;
}

} // namespace

void QrMaskScorer::load(const uint8_t (*matrix)[kMaxModules], int moduleCount)
{
    n_ = moduleCount;
    for (int y = 0; y < n_; ++y)
        rowFunction_[y] = rowFunctionDark_[y] = rowData_[y] = Line{};
    // Blocks of 8 x 8 modules: eight bytes of each of eight columns make the
    // columns' bits, and the block transposed makes the rows' bits.
    for (int x0 = 0; x0 < n_; x0 += 8) {
        const int width = std::min(8, n_ - x0);
        for (int i = 0; i < kWords; ++i) {
            Planes columns[8];
            for (int y0 = 64 * i; y0 < std::min(n_, 64 * (i + 1)); y0 += 8) {
                const int height = std::min(8, n_ - y0);
                Planes block;  // byte c: column x0 + c
                for (int c = 0; c < width; ++c) {
                    const Planes eight = planesOfEight(loadModules(matrix[x0 + c] + y0, height));
                    columns[c].function |= eight.function << (y0 & 63);
                    columns[c].functionDark |= eight.functionDark << (y0 & 63);
                    columns[c].data |= eight.data << (y0 & 63);
                    block.function |= eight.function << (8 * c);
                    block.functionDark |= eight.functionDark << (8 * c);
                    block.data |= eight.data << (8 * c);
                }
                const Planes rows = {transposeBits(block.function), transposeBits(block.functionDark),
                                     transposeBits(block.data)};
                for (int r = 0; r < height; ++r) {
                    const int word = x0 / 64;
                    const int shift = x0 & 63;
                    rowFunction_[y0 + r].w[word] |= (rows.function >> (8 * r) & 0xFF) << shift;
                    rowFunctionDark_[y0 + r].w[word] |= (rows.functionDark >> (8 * r) & 0xFF) << shift;
                    rowData_[y0 + r].w[word] |= (rows.data >> (8 * r) & 0xFF) << shift;
                }
            }
            for (int c = 0; c < width; ++c) {
                colFunction_[x0 + c].w[i] = columns[c].function;
                colFunctionDark_[x0 + c].w[i] = columns[c].functionDark;
                colData_[x0 + c].w[i] = columns[c].data;
            }
        }
    }
}

void QrMaskScorer::applyPattern(int pattern)
{
    const Line inside = firstBits<kWords>(n_);
    for (int k = 0; k < n_; ++k) {
        const Line& rowInverts = kRowPatterns[pattern][k % kPeriod];
        const Line& colInverts = kColumnPatterns[pattern][k % kPeriod];
        #pragma GCC unroll 3
        for (int i = 0; i < kWords; ++i) {
            rows_[k].w[i] = (rowFunctionDark_[k].w[i] | ((rowData_[k].w[i] ^ rowInverts.w[i]) & ~rowFunction_[k].w[i])) &
                            inside.w[i];
            cols_[k].w[i] = (colFunctionDark_[k].w[i] | ((colData_[k].w[i] ^ colInverts.w[i]) & ~colFunction_[k].w[i])) &
                            inside.w[i];
        }
    }
}

int QrMaskScorer::penalty(int pattern)
{
    applyPattern(pattern);
    switch ((n_ + 63) / 64) {
    case 1: return maskedPenalty<1>();
    case 2: return maskedPenalty<2>();
    default: return maskedPenalty<kWords>();
    }
}

template <int Words>
int QrMaskScorer::maskedPenalty() const
{
    int score = 0;
    int dark = 0;
    for (int k = 0; k < n_; ++k) {
        score += linePenalty<Words>(rows_[k], n_) + linePenalty<Words>(cols_[k], n_);
        dark += popcount<Words>(rows_[k]);
    }
    // N2: 2 x 2 squares of one colour, from each pair of neighbouring rows.
    const Line pairs = firstBits<Words>(n_ - 1);
    for (int y = 0; y + 1 < n_; ++y) {
        const Line& a = rows_[y];
        const Line& b = rows_[y + 1];
        Line vertical{};
        #pragma GCC unroll 3
        for (int i = 0; i < Words; ++i)
            vertical.w[i] = ~(a.w[i] ^ b.w[i]);
        const Line verticalNext = shiftDown<Words>(vertical, 1);
        const Line aNext = shiftDown<Words>(a, 1);
        Line square{};
        #pragma GCC unroll 3
        for (int i = 0; i < Words; ++i)
            square.w[i] = vertical.w[i] & verticalNext.w[i] & ~(a.w[i] ^ aNext.w[i]) & pairs.w[i];
        score += 3 * popcount<Words>(square);
    }
    // N4: distance of the light share from half, in steps of 5 %.
    const int total = n_ * n_;
    const int lightPercent = 100 * (total - dark) / total;
    score += std::abs(50 - lightPercent) / 5 * 10;
    return score;
}

} // namespace mvx::qr

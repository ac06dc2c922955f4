#include "barcode/QrMaskScorer.h"

#include <array>
#include <cstdlib>

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

// bit x of the result = bit x + k of a (k < 64)
inline Line shiftDown(const Line& a, int k)
{
    Line r;
    #pragma GCC unroll 3
    for (int i = 0; i < kWords - 1; ++i)
        r.w[i] = a.w[i] >> k | (k ? a.w[i + 1] << (64 - k) : 0);
    r.w[kWords - 1] = a.w[kWords - 1] >> k;
    return r;
}

// bit x of the result = bit x - 1 of a, 0 at x = 0
inline Line shiftUpOne(const Line& a)
{
    Line r;
    r.w[0] = a.w[0] << 1;
    #pragma GCC unroll 3
    for (int i = 1; i < kWords; ++i)
        r.w[i] = a.w[i] << 1 | a.w[i - 1] >> 63;
    return r;
}

inline Line firstBits(int n)
{
    Line r{};
    #pragma GCC unroll 3
    for (int i = 0; i < kWords; ++i) {
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

inline int popcount(const Line& a)
{
    int c = 0;
    #pragma GCC unroll 3
    for (int i = 0; i < kWords; ++i)
        c += bitCount(a.w[i]);
    return c;
}

void setBit(Line& line, int k) { line.w[k / 64] |= uint64_t{1} << (k % 64); }

} // namespace

void QrMaskScorer::load(const uint8_t (*matrix)[kMaxModules], int moduleCount)
{
    n_ = moduleCount;
    for (int k = 0; k < n_; ++k) {
        rowFunction_[k] = rowFunctionDark_[k] = rowData_[k] = Line{};
        colFunction_[k] = colFunctionDark_[k] = colData_[k] = Line{};
    }
    for (int x = 0; x < n_; ++x)
        for (int y = 0; y < n_; ++y) {
            const uint8_t m = matrix[x][y];
            if (m & kFunction) {
                setBit(rowFunction_[y], x);
                setBit(colFunction_[x], y);
                if (m & kFunctionDark) {
                    setBit(rowFunctionDark_[y], x);
                    setBit(colFunctionDark_[x], y);
                }
            } else if (m & kDataBit) {
                setBit(rowData_[y], x);
                setBit(colData_[x], y);
            }
        }
}

void QrMaskScorer::applyPattern(int pattern)
{
    const Line inside = firstBits(n_);
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

int QrMaskScorer::linePenalty(const Line& a, int n)
{
    const Line inside = firstBits(n);
    // N1: with w5 marking the starts of five equal modules, a run of L >= 5
    // holds L - 4 of them and one first one: L - 4 + 2 = 3 + (L - 5).
    Line same;  // bit x: module x equals module x + 1
    const Line next = shiftDown(a, 1);
    const Line pairs = firstBits(n - 1);
    #pragma GCC unroll 3
    for (int i = 0; i < kWords; ++i)
        same.w[i] = ~(a.w[i] ^ next.w[i]) & pairs.w[i];
    const Line s1 = shiftDown(same, 1);
    const Line s2 = shiftDown(same, 2);
    const Line s3 = shiftDown(same, 3);
    Line five;
    #pragma GCC unroll 3
    for (int i = 0; i < kWords; ++i)
        five.w[i] = same.w[i] & s1.w[i] & s2.w[i] & s3.w[i];
    const Line fiveBefore = shiftUpOne(five);
    Line firstOfRun;
    #pragma GCC unroll 3
    for (int i = 0; i < kWords; ++i)
        firstOfRun.w[i] = five.w[i] & ~fiveBefore.w[i];
    int score = popcount(five) + 2 * popcount(firstOfRun);

    // N3: dark light dark dark dark light dark, light or the edge on both sides.
    Line light;
    #pragma GCC unroll 3
    for (int i = 0; i < kWords; ++i)
        light.w[i] = ~a.w[i] & inside.w[i];
    const Line l1 = shiftDown(light, 1);
    const Line a2 = shiftDown(a, 2);
    const Line a3 = shiftDown(a, 3);
    const Line a4 = shiftDown(a, 4);
    const Line l5 = shiftDown(light, 5);
    const Line a6 = shiftDown(a, 6);
    const Line a7 = shiftDown(a, 7);
    const Line before = shiftUpOne(a);
    Line found;
    #pragma GCC unroll 3
    for (int i = 0; i < kWords; ++i)
        found.w[i] = a.w[i] & l1.w[i] & a2.w[i] & a3.w[i] & a4.w[i] & l5.w[i] & a6.w[i] & ~a7.w[i] & ~before.w[i];
    score += 40 * popcount(found);
    return score;
}

int QrMaskScorer::penalty(int pattern)
{
    applyPattern(pattern);
    int score = 0;
    int dark = 0;
    for (int k = 0; k < n_; ++k) {
        score += linePenalty(rows_[k], n_) + linePenalty(cols_[k], n_);
        dark += popcount(rows_[k]);
    }
    // N2: 2 x 2 squares of one colour, from each pair of neighbouring rows.
    const Line pairs = firstBits(n_ - 1);
    for (int y = 0; y + 1 < n_; ++y) {
        const Line& a = rows_[y];
        const Line& b = rows_[y + 1];
        Line vertical;
        #pragma GCC unroll 3
        for (int i = 0; i < kWords; ++i)
            vertical.w[i] = ~(a.w[i] ^ b.w[i]);
        const Line verticalNext = shiftDown(vertical, 1);
        const Line aNext = shiftDown(a, 1);
        Line square;
        #pragma GCC unroll 3
        for (int i = 0; i < kWords; ++i)
            square.w[i] = vertical.w[i] & verticalNext.w[i] & ~(a.w[i] ^ aNext.w[i]) & pairs.w[i];
        score += 3 * popcount(square);
    }
    // N4: distance of the light share from half, in steps of 5 %.
    const int total = n_ * n_;
    const int lightPercent = 100 * (total - dark) / total;
    score += std::abs(50 - lightPercent) / 5 * 10;
    return score;
}

} // namespace mvx::qr

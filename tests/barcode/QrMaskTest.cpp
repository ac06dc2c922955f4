// The automatic mask choice: penalty rules and the tie rule.
#include "QrTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace mvx::test {
namespace {

using Grid = std::vector<std::vector<int>>;  // [y][x], 1 = dark

// The symbol with a fixed mask, with the format areas made light again (the
// state in which the penalty is scored).
Grid unformattedGrid(const CQREncoder& e)
{
    const int n = e.moduleCount();
    Grid g(static_cast<size_t>(n), std::vector<int>(static_cast<size_t>(n)));
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            g[y][x] = e.isDark(x, y) ? 1 : 0;
    for (int i = 0; i <= 8; ++i) {
        if (i != 6) {
            g[8][i] = 0;
            g[i][8] = 0;
        }
    }
    for (int i = 0; i < 8; ++i)
        g[8][n - 1 - i] = 0;
    for (int i = 0; i < 7; ++i)
        g[n - 1 - i][8] = 0;
    return g;
}

int lineScore(const std::vector<int>& line)
{
    int score = 0;
    const int n = static_cast<int>(line.size());
    for (int start = 0; start < n;) {
        int end = start;
        while (end < n && line[end] == line[start])
            ++end;
        if (end - start >= 5)
            score += 3 + (end - start - 5);
        start = end;
    }
    static const int pattern[7] = {1, 0, 1, 1, 1, 0, 1};
    for (int start = 0; start + 7 <= n; ++start) {
        bool match = true;
        for (int k = 0; k < 7 && match; ++k)
            match = line[start + k] == pattern[k];
        const bool lightBefore = start == 0 || line[start - 1] == 0;
        const bool lightAfter = start + 7 == n || line[start + 7] == 0;
        if (match && lightBefore && lightAfter)
            score += 40;
    }
    return score;
}

int referencePenalty(const Grid& g)
{
    const int n = static_cast<int>(g.size());
    int score = 0;
    for (int y = 0; y < n; ++y)
        score += lineScore(g[y]);
    for (int x = 0; x < n; ++x) {
        std::vector<int> column;
        for (int y = 0; y < n; ++y)
            column.push_back(g[y][x]);
        score += lineScore(column);
    }
    int dark = 0;
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            dark += g[y][x];
            if (x + 1 < n && y + 1 < n && g[y][x] == g[y][x + 1] && g[y][x] == g[y + 1][x] &&
                g[y][x] == g[y + 1][x + 1])
                score += 3;
        }
    const int lightPercent = 100 * (n * n - dark) / (n * n);
    score += std::abs(50 - lightPercent) / 5 * 10;
    return score;
}

std::string sampleText(int i)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 abcdefghijklmnopqrstuvwxyz";
    std::string text = "T" + std::to_string(i) + ":";
    unsigned state = 2654435761u * static_cast<unsigned>(i + 1);
    for (int k = 0; k < 8 + i % 23; ++k) {
        state = state * 1103515245u + 12345u;
        text += alphabet[(state >> 16) % (sizeof(alphabet) - 1)];
    }
    return text;
}

TEST(QrMaskChoice, PenaltiesMatchAnIndependentScorer)
{
    for (int i = 0; i < 12; ++i) {
        const std::string text = sampleText(i);
        const int level = i % 4;
        auto automatic = encodeOrNull(level, 0, true, -1, text);
        ASSERT_NE(automatic, nullptr);
        for (int mask = 0; mask < 8; ++mask) {
            auto fixed = encodeOrNull(level, automatic->version(), false, mask, text);
            ASSERT_NE(fixed, nullptr);
            EXPECT_EQ(fixed->maskPenalty(mask), -1);
            EXPECT_EQ(automatic->maskPenalty(mask), referencePenalty(unformattedGrid(*fixed)))
                << text << " mask " << mask;
        }
    }
}

TEST(QrMaskChoice, LargeSymbolPenaltiesMatchToo)
{
    const std::string text(1500, 'w');
    auto automatic = encodeOrNull(CQREncoder::LevelM, 0, true, -1, text);
    ASSERT_NE(automatic, nullptr);
    for (int mask : {0, 5, 7}) {
        auto fixed = encodeOrNull(CQREncoder::LevelM, automatic->version(), false, mask, text);
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(automatic->maskPenalty(mask), referencePenalty(unformattedGrid(*fixed))) << mask;
    }
}

// Rows of up to 128 modules fill two of the scorer's 64-bit words.
TEST(QrMaskChoice, MidSizeSymbolPenaltiesMatchToo)
{
    const std::string text(400, 'w');
    auto automatic = encodeOrNull(CQREncoder::LevelM, 0, true, -1, text);
    ASSERT_NE(automatic, nullptr);
    ASSERT_GT(automatic->moduleCount(), 64);
    ASSERT_LE(automatic->moduleCount(), 128);
    for (int mask : {0, 3, 6}) {
        auto fixed = encodeOrNull(CQREncoder::LevelM, automatic->version(), false, mask, text);
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(automatic->maskPenalty(mask), referencePenalty(unformattedGrid(*fixed))) << mask;
    }
}

int lowestBest(const CQREncoder& e)
{
    int best = 0;
    for (int mask = 1; mask < 8; ++mask)
        if (e.maskPenalty(mask) < e.maskPenalty(best))
            best = mask;
    return best;
}

TEST(QrMaskChoice, LowestScoreWinsAndTiesKeepTheLowerPattern)
{
    int ties = 0;
    for (int i = 0; i < 400; ++i) {
        auto encoder = encodeOrNull(CQREncoder::LevelL, 0, true, -1, sampleText(i));
        ASSERT_NE(encoder, nullptr);
        const int best = lowestBest(*encoder);
        EXPECT_EQ(encoder->mask(), best) << sampleText(i);
        for (int mask = best + 1; mask < 8; ++mask)
            if (encoder->maskPenalty(mask) == encoder->maskPenalty(best))
                ++ties;
    }
    // The sample must contain symbols whose best score two patterns share.
    EXPECT_GT(ties, 0);
}

TEST(QrMaskChoice, ChosenPatternGivesTheSameSymbolAsRequestingIt)
{
    const std::string text = "MASK CHOICE 0123456789";
    auto automatic = encodeOrNull(CQREncoder::LevelQ, 0, true, -1, text);
    ASSERT_NE(automatic, nullptr);
    auto fixed = encodeOrNull(CQREncoder::LevelQ, automatic->version(), false, automatic->mask(), text);
    ASSERT_NE(fixed, nullptr);
    for (int y = 0; y < automatic->moduleCount(); ++y)
        for (int x = 0; x < automatic->moduleCount(); ++x)
            ASSERT_EQ(automatic->isDark(x, y), fixed->isDark(x, y)) << x << "," << y;
}

// The buffers keep what a larger symbol left in them (beyond the smaller
// symbol's modules and codewords): a reused encoder must still give exactly
// what a fresh one gives, remainder bits and mask scores included.
TEST(QrEncoderReuse, SmallerSymbolsAfterALargeOneMatchAFreshEncoder)
{
    std::string large;
    for (int i = 0; large.size() < 2000; ++i)
        large += sampleText(i);
    auto reused = std::make_unique<CQREncoder>();
    // versions 2 to 6 have 7 remainder bits, 14 to 20 have 3, 21 to 27 have 4
    for (int version : {2, 3, 5, 6, 14, 21}) {
        const std::string text = sampleText(version);
        ASSERT_TRUE(reused->encode(CQREncoder::LevelM, 0, true, -1, large.data(), static_cast<int>(large.size())));
        ASSERT_TRUE(reused->encode(CQREncoder::LevelM, version, false, -1, text.data(), static_cast<int>(text.size())));
        auto fresh = encodeOrNull(CQREncoder::LevelM, version, false, -1, text);
        ASSERT_NE(fresh, nullptr);
        for (int mask = 0; mask < 8; ++mask)
            EXPECT_EQ(reused->maskPenalty(mask), fresh->maskPenalty(mask)) << version << " mask " << mask;
        ASSERT_EQ(reused->mask(), fresh->mask()) << version;
        for (int y = 0; y < fresh->moduleCount(); ++y)
            for (int x = 0; x < fresh->moduleCount(); ++x)
                ASSERT_EQ(reused->isDark(x, y), fresh->isDark(x, y)) << version << ": " << x << "," << y;
    }
}

} // namespace
} // namespace mvx::test

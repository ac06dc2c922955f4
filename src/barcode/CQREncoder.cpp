#include "barcode/CQREncoder.h"

#include "barcode/QrModuleFlags.h"
#include "barcode/QrTables.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace mvx {

namespace qr {

// Count widths and the thresholds of the segment rules for one version group.
struct GroupRules {
    int firstVersion;
    int lastVersion;
    int numericCountBits;
    int alphanumericCountBits;
    int byteCountBits;
    int kanjiCountBits;
    int digitStartCheck;
    int digitStartAlphanumericLookAhead;
    int letterStartCheck;
    int byteEndingDigitRun;
    int byteEndingAlphanumericRun;
    int alphanumericEndingDigitRun;
};

} // namespace qr

namespace {

constexpr qr::GroupRules kGroups[] = {
    {1, 9, 10, 9, 8, 8, 4, 7, 6, 6, 11, 13},
    {10, 26, 12, 11, 16, 10, 4, 8, 7, 8, 15, 15},
    {27, 40, 14, 13, 16, 12, 5, 9, 8, 9, 16, 17},
};
constexpr int kGroupCount = sizeof(kGroups) / sizeof(kGroups[0]);

int groupOf(int version)
{
    for (int g = 0; g < kGroupCount; ++g)
        if (version <= kGroups[g].lastVersion)
            return g;
    return kGroupCount - 1;
}

// Value of a character in the alphanumeric set, -1 outside it.
constexpr std::array<int8_t, 256> makeAlphanumericValues()
{
    std::array<int8_t, 256> v{};
    for (auto& e : v)
        e = -1;
    for (int c = '0'; c <= '9'; ++c)
        v[c] = static_cast<int8_t>(c - '0');
    for (int c = 'A'; c <= 'Z'; ++c)
        v[c] = static_cast<int8_t>(c - 'A' + 10);
    const char signs[] = " $%*+-./:";
    for (int i = 0; signs[i] != 0; ++i)
        v[static_cast<unsigned char>(signs[i])] = static_cast<int8_t>(36 + i);
    return v;
}
constexpr std::array<int8_t, 256> kAlphanumericValue = makeAlphanumericValues();

inline bool isDigit(uint8_t c) { return c >= '0' && c <= '9'; }
inline bool isAlphanumeric(uint8_t c) { return kAlphanumericValue[c] >= 0; }

using qr::kDarkFlags;
using qr::kDataBit;
using qr::kFunction;
using qr::kFunctionDark;
using qr::kMaskedBit;

constexpr uint8_t kFinderRows[7] = {0x7F, 0x41, 0x5D, 0x5D, 0x5D, 0x41, 0x7F};
constexpr uint8_t kAlignmentRows[5] = {0x1F, 0x11, 0x15, 0x11, 0x1F};

constexpr int kLevelFormatBits[qr::kLevelCount] = {1, 0, 3, 2};  // L, M, Q, H

// Where each pattern inverts, per column x % 12: byte y for rows 0..23. Every
// pattern repeats after 12 rows and after 12 columns, and 24 rows hold words
// of eight rows starting at any multiple of 8.
constexpr int kMaskPeriod = 12;
constexpr int kMaskRows = 24;
using MaskColumns = std::array<std::array<std::array<uint8_t, kMaskRows>, kMaskPeriod>, CQREncoder::kMaskCount>;

constexpr MaskColumns makeMaskColumns()
{
    MaskColumns table{};
    for (int pattern = 0; pattern < CQREncoder::kMaskCount; ++pattern)
        for (int x = 0; x < kMaskPeriod; ++x)
            for (int y = 0; y < kMaskRows; ++y)
                table[pattern][x][y] = qr::maskCondition(pattern, y, x) ? 1 : 0;
    return table;
}
constexpr MaskColumns kMaskColumns = makeMaskColumns();

// Puts the next codeword bit into a module that is not a function module.
// Without a branch on the bit: codeword bits are as good as random.
inline void placeDataModule(uint8_t& module, const uint8_t* codewords, int& bit)
{
    if (module & kFunction)
        return;
    module = static_cast<uint8_t>((codewords[bit >> 3] >> (7 - (bit & 7)) & 1) * kDataBit);
    ++bit;
}

// Bit 0 of each byte of a word.
constexpr uint64_t kEveryByte = 0x0101010101010101ull;
static_assert(kFunction == 0x20 && kFunctionDark == 0x10 && kDataBit == 0x02 && kMaskedBit == 0x01,
              "the word-at-a-time loops move these bits onto bit 0");

// A module that is no function module gets its data bit, inverted where the
// pattern says so, as its masked bit.
inline uint8_t maskedModule(uint8_t module, uint8_t invert)
{
    if (module & kFunction)
        return module;
    return static_cast<uint8_t>((module & ~kMaskedBit) | (((module >> 1) ^ invert) & 1));
}

// Generator exponents run up to 254: what a zero lead multiplies them to.
constexpr std::array<uint8_t, 256> kNoMultiples{};

// The BCH remainder of value (already shifted left by the generator's degree).
int bchRemainder(int value, int generator, int degree)
{
    for (int bit = 31; bit >= degree; --bit)
        if (value & (1 << bit))
            value ^= generator << (bit - degree);
    return value;
}

} // namespace

bool CQREncoder::encode(int level, int version, bool allowLarger, int mask, const char* text, int length)
{
    version_ = 0;
    moduleCount_ = 0;
    mask_ = mask;
    std::fill(std::begin(penalties_), std::end(penalties_), -1);
    if (level < 0 || level >= qr::kLevelCount || version < 0 || version > qr::kMaxVersion || mask < -1 ||
        mask >= kMaskCount || text == nullptr)
        return false;
    text_ = reinterpret_cast<const uint8_t*>(text);
    length_ = length > 0 ? length : static_cast<int>(std::strlen(text));
    level_ = level;
    if (length_ == 0 || !chooseVersion(version, allowLarger)) {
        version_ = 0;
        return false;
    }
    moduleCount_ = 4 * version_ + 17;
    completeDataCodewords();
    addErrorCorrection();
    placeFunctionPatterns();
    placeCodewords();
    if (mask_ < 0)
        chooseMask();
    applyMask(mask_);
    placeFormatInformation();
    reduceModules();
    return true;
}

// ---------------------------------------------------------------- bit stream

// Small helpers of the segment loops, inline so that they stay inline at -O2.

inline bool CQREncoder::kanjiPairAt(int pos) const
{
    if (pos + 1 >= length_)
        return false;
    const uint8_t first = text_[pos];
    const uint8_t second = text_[pos + 1];
    if (!((first >= 0x81 && first <= 0x9F) || (first >= 0xE0 && first <= 0xEB)) || second < 0x40)
        return false;
    if (first == 0x9F && second >= 0xFD)
        return false;
    if (first == 0xEB && second >= 0xC0)
        return false;
    return true;
}

inline int CQREncoder::digitRun(int pos, int limit) const
{
    int n = 0;
    while (n < limit && pos + n < length_ && isDigit(text_[pos + n]))
        ++n;
    return n;
}

inline int CQREncoder::alphanumericRun(int pos, int limit) const
{
    int n = 0;
    while (n < limit && pos + n < length_ && isAlphanumeric(text_[pos + n]))
        ++n;
    return n;
}

inline void CQREncoder::putBits(uint32_t value, int count)
{
    if (bitCount_ < 0)
        return;
    if (bitCount_ + count > kBitCapacity) {
        bitCount_ = -1;
        return;
    }
    // Most significant bit first. At most 16 bits behind at most 7 used ones
    // fill at most three bytes: the bits go in as one 24-bit window.
    const int used = bitCount_ & 7;
    uint8_t* byte = bitStream_ + (bitCount_ >> 3);
    const uint32_t kept = used != 0 ? uint32_t{byte[0]} << 16 : 0;
    const uint32_t window = kept | (value & ((1u << count) - 1u)) << (24 - used - count);
    const int bytes = (used + count + 7) >> 3;
    for (int k = 0; k < bytes; ++k)
        byte[k] = static_cast<uint8_t>(window >> (16 - 8 * k));
    bitCount_ += count;
}

bool CQREncoder::chooseVersion(int requested, bool allowLarger)
{
    int found = 0;
    for (int g = groupOf(requested); g < kGroupCount && found == 0; ++g) {
        buildBitStream(kGroups[g]);
        if (bitCount_ < 0)
            continue;
        const int needed = (bitCount_ + 7) / 8;
        for (int v = kGroups[g].firstVersion; v <= kGroups[g].lastVersion; ++v)
            if (qr::versionLayout(v).levels[level_].dataCodewords >= needed) {
                found = v;
                break;
            }
    }
    if (found == 0)
        return false;
    if (requested != 0 && requested < found && !allowLarger)
        return false;
    version_ = requested >= found ? requested : found;
    segmentBits_ = bitCount_;
    return true;
}

void CQREncoder::buildBitStream(const GroupRules& rules)
{
    bitCount_ = 0;
    int pos = 0;
    while (pos < length_ && bitCount_ >= 0) {
        switch (segmentMode(pos, rules)) {
        case ModeKanji: pos = writeKanjiSegment(pos, rules); break;
        case ModeNumeric: pos = writeNumericSegment(pos, rules); break;
        case ModeAlphanumeric: pos = writeAlphanumericSegment(pos, rules); break;
        default: pos = writeByteSegment(pos, rules); break;
        }
    }
}

int CQREncoder::segmentMode(int pos, const GroupRules& rules) const
{
    const int remaining = length_ - pos;
    const uint8_t c = text_[pos];
    if (kanjiPairAt(pos))
        return ModeKanji;
    if (!isAlphanumeric(c))
        return ModeByte;
    if (isDigit(c)) {
        const int check = std::min(rules.digitStartCheck, remaining);
        for (int i = 0; i < check; ++i)
            if (!isAlphanumeric(text_[pos + i]))
                return ModeByte;
        const int lookAhead = std::min(rules.digitStartAlphanumericLookAhead, remaining);
        for (int i = 0; i < lookAhead; ++i)
            if (isAlphanumeric(text_[pos + i]) && !isDigit(text_[pos + i]))
                return ModeAlphanumeric;
        return ModeNumeric;
    }
    const int check = std::min(rules.letterStartCheck, remaining);
    for (int i = 0; i < check; ++i)
        if (!isAlphanumeric(text_[pos + i]))
            return ModeByte;
    return ModeAlphanumeric;
}

int CQREncoder::writeByteSegment(int pos, const GroupRules& rules)
{
    int end = pos + 1;
    while (end < length_ && !kanjiPairAt(end) && digitRun(end, rules.byteEndingDigitRun) < rules.byteEndingDigitRun &&
           alphanumericRun(end, rules.byteEndingAlphanumericRun) < rules.byteEndingAlphanumericRun)
        ++end;
    writeSegmentHeader(ModeByte, end - pos, rules.byteCountBits);
    for (int i = pos; i < end; ++i)
        putBits(text_[i], 8);
    return end;
}

int CQREncoder::writeAlphanumericSegment(int pos, const GroupRules& rules)
{
    int end = pos + 1;
    while (end < length_ && !kanjiPairAt(end) && isAlphanumeric(text_[end]) &&
           digitRun(end, rules.alphanumericEndingDigitRun) < rules.alphanumericEndingDigitRun)
        ++end;
    writeSegmentHeader(ModeAlphanumeric, end - pos, rules.alphanumericCountBits);
    int i = pos;
    for (; i + 1 < end; i += 2)
        putBits(static_cast<uint32_t>(45 * kAlphanumericValue[text_[i]] + kAlphanumericValue[text_[i + 1]]), 11);
    if (i < end)
        putBits(static_cast<uint32_t>(kAlphanumericValue[text_[i]]), 6);
    return end;
}

int CQREncoder::writeNumericSegment(int pos, const GroupRules& rules)
{
    int end = pos + 1;
    while (end < length_ && isDigit(text_[end]))
        ++end;
    writeSegmentHeader(ModeNumeric, end - pos, rules.numericCountBits);
    int i = pos;
    for (; i + 2 < end; i += 3)
        putBits(static_cast<uint32_t>((text_[i] - '0') * 100 + (text_[i + 1] - '0') * 10 + (text_[i + 2] - '0')), 10);
    if (end - i == 2)
        putBits(static_cast<uint32_t>((text_[i] - '0') * 10 + (text_[i + 1] - '0')), 7);
    else if (end - i == 1)
        putBits(static_cast<uint32_t>(text_[i] - '0'), 4);
    return end;
}

int CQREncoder::writeKanjiSegment(int pos, const GroupRules& rules)
{
    int end = pos;
    while (kanjiPairAt(end))
        end += 2;
    writeSegmentHeader(ModeKanji, (end - pos) / 2, rules.kanjiCountBits);
    for (int i = pos; i < end; i += 2) {
        const unsigned code = static_cast<unsigned>(text_[i]) << 8 | text_[i + 1];
        const unsigned d = ((code - 0x8140u) & 0xFFFFu) <= 0x1EBCu ? code - 0x8140u : code - 0xC140u;
        putBits((d >> 8) * 0xC0u + (d & 0xFFu), 13);
    }
    return end;
}

void CQREncoder::writeSegmentHeader(int mode, int count, int countBits)
{
    // A count the indicator cannot hold would be read back wrong: no symbol then.
    if (count >= (1 << countBits)) {
        bitCount_ = -1;
        return;
    }
    putBits(static_cast<uint32_t>(mode), 4);
    putBits(static_cast<uint32_t>(count), countBits);
}

// ------------------------------------------------ codewords and error correction

void CQREncoder::completeDataCodewords()
{
    const int dataCodewords = qr::versionLayout(version_).levels[level_].dataCodewords;
    const int freeBits = dataCodewords * 8 - bitCount_;
    putBits(0, std::min(4, freeBits));
    if (bitCount_ & 7)
        putBits(0, 8 - (bitCount_ & 7));
    uint8_t pad = 236;
    for (int i = bitCount_ / 8; i < dataCodewords; ++i) {
        bitStream_[i] = pad;
        pad = pad == 236 ? 17 : 236;
    }
    dataCodewordCount_ = dataCodewords;
}

void CQREncoder::addErrorCorrection()
{
    const qr::LevelLayout& layout = qr::versionLayout(version_).levels[level_];
    const int blocks = layout.blockCount();
    const int ecLength = layout.ecCodewordsPerBlock;
    const int shortData = layout.groups[0].dataCodewords;
    const int shortBlocks = layout.groups[0].blocks;
    int block = 0;
    int offset = 0;
    for (const qr::BlockGroup& group : layout.groups) {
        for (int k = 0; k < group.blocks; ++k, ++block) {
            const uint8_t* data = bitStream_ + offset;
            for (int i = 0; i < shortData; ++i)
                codewords_[i * blocks + block] = data[i];
            if (group.dataCodewords > shortData)
                codewords_[shortData * blocks + block - shortBlocks] = data[shortData];
            computeRemainder(data, group.dataCodewords, ecLength);
            for (int i = 0; i < ecLength; ++i)
                codewords_[layout.dataCodewords + i * blocks + block] = rsWork_[i];
            offset += group.dataCodewords;
        }
    }
}

void CQREncoder::computeRemainder(const uint8_t* data, int dataLength, int ecLength)
{
    const qr::GaloisTables& gf = qr::galois();
    const uint8_t* generator = qr::generatorExponents(ecLength);
    const int last = ecLength - 1;
    std::memset(rsWork_, 0, static_cast<size_t>(ecLength));
    for (int i = 0; i < dataLength; ++i) {
        const uint8_t lead = data[i] ^ rsWork_[0];
        // The lead's multiples of the generator, indexed by the generator's
        // exponents; a zero lead only shifts the remainder.
        const uint8_t* multiples = lead == 0 ? kNoMultiples.data() : gf.exp.data() + gf.log[lead];
        // Shift by one term while adding, so the remainder is touched once.
        for (int j = 0; j < last; ++j)
            rsWork_[j] = static_cast<uint8_t>(rsWork_[j + 1] ^ multiples[generator[j]]);
        rsWork_[last] = multiples[generator[last]];
    }
}

// ------------------------------------------------------------------- matrix

void CQREncoder::setFunction(int x, int y, bool dark)
{
    matrix_[x][y] = static_cast<uint8_t>(kFunction | (dark ? kFunctionDark : 0));
}

void CQREncoder::placeFunctionPatterns()
{
    const int n = moduleCount_;
    for (int x = 0; x < n; ++x)
        std::memset(matrix_[x], 0, static_cast<size_t>(n));
    placeFinder(0, 0);
    placeFinder(n - 7, 0);
    placeFinder(0, n - 7);
    reserveFormatAreas();
    placeVersionInformation();
    placeAlignmentPatterns();
    placeTimingPatterns();
    setFunction(8, n - 8, true);
}

void CQREncoder::reserveFormatAreas()
{
    const int n = moduleCount_;
    for (int i = 0; i <= 8; ++i) {
        if (i == 6)
            continue;  // timing pattern
        setFunction(8, i, false);
        setFunction(i, 8, false);
    }
    for (int i = 0; i < 8; ++i) {
        setFunction(n - 1 - i, 8, false);
        setFunction(8, n - 1 - i, false);
    }
}

// Every pair of coordinates from 6 and the version's list, except where a
// finder already stands.
void CQREncoder::placeAlignmentPatterns()
{
    const qr::VersionLayout& layout = qr::versionLayout(version_);
    int coordinates[1 + qr::kMaxAlignmentCoordinates] = {6};
    for (int i = 0; i < layout.alignmentCount; ++i)
        coordinates[1 + i] = layout.alignment[i];
    const int count = 1 + layout.alignmentCount;
    for (int i = 0; i < count; ++i)
        for (int j = 0; j < count; ++j)
            if (!(matrix_[coordinates[i]][coordinates[j]] & kFunction))
                placeAlignment(coordinates[i], coordinates[j]);
}

void CQREncoder::placeTimingPatterns()
{
    // Alignment patterns crossing row or column 6 already agree with the timing.
    for (int k = 8; k <= moduleCount_ - 9; ++k) {
        if (!(matrix_[k][6] & kFunction))
            setFunction(k, 6, k % 2 == 0);
        if (!(matrix_[6][k] & kFunction))
            setFunction(6, k, k % 2 == 0);
    }
}

void CQREncoder::placeFinder(int left, int top)
{
    const int n = moduleCount_;
    for (int dy = -1; dy <= 7; ++dy)
        for (int dx = -1; dx <= 7; ++dx) {
            const int x = left + dx;
            const int y = top + dy;
            if (x < 0 || y < 0 || x >= n || y >= n)
                continue;
            const bool inside = dx >= 0 && dx < 7 && dy >= 0 && dy < 7;
            setFunction(x, y, inside && (kFinderRows[dy] >> (6 - dx) & 1));
        }
}

void CQREncoder::placeAlignment(int centreX, int centreY)
{
    for (int dy = 0; dy < 5; ++dy)
        for (int dx = 0; dx < 5; ++dx)
            setFunction(centreX - 2 + dx, centreY - 2 + dy, kAlignmentRows[dy] >> (4 - dx) & 1);
}

void CQREncoder::placeVersionInformation()
{
    if (version_ < 7)
        return;
    const int n = moduleCount_;
    const int bits = version_ << 12 | bchRemainder(version_ << 12, 0x1F25, 12);
    for (int i = 0; i < 18; ++i) {
        const bool dark = bits >> i & 1;
        const int a = n - 11 + i % 3;
        const int b = i / 3;
        setFunction(a, b, dark);
        setFunction(b, a, dark);
    }
}

void CQREncoder::placeCodewords()
{
    const int n = moduleCount_;
    // The remainder bits after the last codeword are light: a zero byte there
    // spares the loop a bounds test.
    codewords_[qr::versionLayout(version_).totalCodewords] = 0;
    int bit = 0;
    for (int right = n - 1; right >= 1; right -= 2) {
        if (right == 6)
            right = 5;
        // Column pairs run up and down in turn.
        const bool upward = ((right + 1) & 2) == 0;
        const int step = upward ? -1 : 1;
        uint8_t* rightColumn = matrix_[right];
        uint8_t* leftColumn = matrix_[right - 1];
        for (int i = 0, y = upward ? n - 1 : 0; i < n; ++i, y += step) {
            placeDataModule(rightColumn[y], codewords_, bit);
            placeDataModule(leftColumn[y], codewords_, bit);
        }
    }
}

void CQREncoder::applyMask(int pattern)
{
    const int n = moduleCount_;
    for (int x = 0; x < n; ++x) {
        uint8_t* column = matrix_[x];
        const uint8_t* inverts = kMaskColumns[pattern][x % kMaskPeriod].data();
        int y = 0;
        for (; y + 8 <= n; y += 8) {
            uint64_t modules;
            uint64_t flips;
            std::memcpy(&modules, column + y, sizeof modules);
            std::memcpy(&flips, inverts + y % kMaskRows, sizeof flips);
            const uint64_t data = ~(modules >> 5) & kEveryByte;  // bit 0 where no function module
            modules = (modules & ~data) | ((modules >> 1 ^ flips) & data);
            std::memcpy(column + y, &modules, sizeof modules);
        }
        for (; y < n; ++y)
            column[y] = maskedModule(column[y], inverts[y % kMaskRows]);
    }
}

// Scores the patterns in order; a later one wins only with a lower score.
void CQREncoder::chooseMask()
{
    scorer_.load(matrix_, moduleCount_);
    int best = 0;
    for (int pattern = 0; pattern < kMaskCount; ++pattern) {
        penalties_[pattern] = scorer_.penalty(pattern);
        if (penalties_[pattern] < penalties_[best])
            best = pattern;
    }
    mask_ = best;
}

void CQREncoder::placeFormatInformation()
{
    const int n = moduleCount_;
    const int data = kLevelFormatBits[level_] << 3 | mask_;
    const int bits = (data << 10 | bchRemainder(data << 10, 0x537, 10)) ^ 0x5412;
    auto bit = [bits](int i) { return (bits >> i & 1) != 0; };
    for (int i = 0; i <= 5; ++i)
        setFunction(8, i, bit(i));
    setFunction(8, 7, bit(6));
    setFunction(8, 8, bit(7));
    setFunction(7, 8, bit(8));
    for (int i = 9; i < 15; ++i)
        setFunction(14 - i, 8, bit(i));
    for (int i = 0; i < 8; ++i)
        setFunction(n - 1 - i, 8, bit(i));
    for (int i = 8; i < 15; ++i)
        setFunction(8, n - 15 + i, bit(i));
}

void CQREncoder::reduceModules()
{
    const int n = moduleCount_;
    for (int x = 0; x < n; ++x) {
        uint8_t* column = matrix_[x];
        int y = 0;
        for (; y + 8 <= n; y += 8) {
            uint64_t modules;
            std::memcpy(&modules, column + y, sizeof modules);
            modules = (modules | modules >> 4) & kEveryByte;  // kFunctionDark or kMaskedBit
            std::memcpy(column + y, &modules, sizeof modules);
        }
        for (; y < n; ++y)
            column[y] = (column[y] & kDarkFlags) ? 1 : 0;
    }
}

} // namespace mvx

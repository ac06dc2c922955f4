#pragma once

#include "barcode/QrMaskScorer.h"

#include <cstdint>

namespace mvx {

namespace qr {
struct GroupRules;
}

// QR code symbol encoder for all 40 versions and the four error-correction
// levels. Segments (numeric, alphanumeric, byte, Kanji in Shift-JIS) are
// chosen from the text, the version and the mask automatically unless given.
// Every buffer is a member sized for the largest symbol, so an encoding
// allocates nothing; the object is large (about 80 KB) and belongs on the heap.
class CQREncoder {
public:
    enum Level { LevelL = 0, LevelM = 1, LevelQ = 2, LevelH = 3 };
    enum Mode { ModeNumeric = 1, ModeAlphanumeric = 2, ModeByte = 4, ModeKanji = 8 };

    static constexpr int kMaxModules = qr::kMaxModules;
    static constexpr int kBitStreamBytes = 2956;  // data codewords of version 40-L
    static constexpr int kBitCapacity = kBitStreamBytes * 8;
    static constexpr int kCodewordBytes = 3706;   // all codewords of version 40
    static constexpr int kRsWorkBytes = 124;
    static constexpr int kMaskCount = 8;

    // level 0..3 (L, M, Q, H); version 0 = automatic, else 1..40; mask -1 =
    // automatic, else 0..7; length <= 0 takes the zero-terminated length.
    // Returns false for an empty text, a text that fits no version, bad
    // arguments, or a requested version too small without allowLarger.
    bool encode(int level, int version, bool allowLarger, int mask, const char* text, int length);

    int level() const { return level_; }
    int version() const { return version_; }
    int moduleCount() const { return moduleCount_; }
    int mask() const { return mask_; }
    // The finished symbol: x = column, y = row, both 0..moduleCount()-1.
    bool isDark(int x, int y) const { return matrix_[x][y] != 0; }

    // The data codewords (bit stream with terminator and pad codewords) in
    // front of error correction, and the number of segment bits in them.
    const uint8_t* dataCodewords() const { return bitStream_; }
    int dataCodewordCount() const { return dataCodewordCount_; }
    int segmentBitCount() const { return segmentBits_; }
    // The penalty of every pattern tried by the automatic choice (-1 when the
    // mask was given).
    int maskPenalty(int pattern) const { return penalties_[pattern]; }

private:
    using GroupRules = qr::GroupRules;

    bool chooseVersion(int requested, bool allowLarger);
    void buildBitStream(const GroupRules& rules);
    int segmentMode(int pos, const GroupRules& rules) const;
    int writeByteSegment(int pos, const GroupRules& rules);
    int writeAlphanumericSegment(int pos, const GroupRules& rules);
    int writeNumericSegment(int pos, const GroupRules& rules);
    int writeKanjiSegment(int pos, const GroupRules& rules);
    void writeSegmentHeader(int mode, int count, int countBits);
    void putBits(uint32_t value, int count);

    bool kanjiPairAt(int pos) const;
    int digitRun(int pos, int limit) const;
    int alphanumericRun(int pos, int limit) const;

    void completeDataCodewords();
    void addErrorCorrection();
    void computeRemainder(const uint8_t* data, int dataLength, int ecLength);

    void placeFunctionPatterns();
    void placeFinder(int left, int top);
    void reserveFormatAreas();
    void placeAlignmentPatterns();
    void placeAlignment(int centreX, int centreY);
    void placeTimingPatterns();
    void placeVersionInformation();
    void setFunction(int x, int y, bool dark);
    void placeCodewords();
    void chooseMask();
    void applyMask(int pattern);
    void placeFormatInformation();
    void reduceModules();

    const uint8_t* text_ = nullptr;
    int length_ = 0;
    int level_ = 0;
    int version_ = 0;
    int moduleCount_ = 0;
    int mask_ = -1;
    int bitCount_ = 0;  // -1 once a write passed the capacity
    int segmentBits_ = 0;
    int dataCodewordCount_ = 0;
    int penalties_[kMaskCount] = {};

    uint8_t bitStream_[kBitStreamBytes];
    uint8_t codewords_[kCodewordBytes + 1];  // one zero byte behind the last codeword
    uint8_t rsWork_[kRsWorkBytes];
    // [x][y]; during construction a byte holds the flags below, at the end 1 or 0.
    uint8_t matrix_[kMaxModules][kMaxModules];
    qr::QrMaskScorer scorer_;
};

} // namespace mvx

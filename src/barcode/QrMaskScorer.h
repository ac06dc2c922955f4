#pragma once

#include "barcode/QrModuleFlags.h"

#include <cstdint>

namespace mvx::qr {

// Scores the mask patterns of one symbol. It keeps every row and every column
// of the unmasked symbol as bit sets, so a pattern is applied and scored a
// machine word at a time instead of a module at a time. Fixed buffers only.
class QrMaskScorer {
public:
    static constexpr int kWords = 3;  // 177 modules fit three 64-bit words
    struct Line {
        uint64_t w[kWords];
    };

    // Takes the function modules and the unmasked data bits of the matrix ([x][y]).
    void load(const uint8_t (*matrix)[kMaxModules], int moduleCount);
    // N1 + N2 + N3 + N4 of the symbol with the pattern applied.
    int penalty(int pattern);

private:
    void applyPattern(int pattern);
    // The penalty of the masked symbol, whose lines fill Words words.
    template <int Words>
    int maskedPenalty() const;

    int n_ = 0;
    Line rowFunction_[kMaxModules];
    Line rowFunctionDark_[kMaxModules];
    Line rowData_[kMaxModules];
    Line colFunction_[kMaxModules];
    Line colFunctionDark_[kMaxModules];
    Line colData_[kMaxModules];
    Line rows_[kMaxModules];  // the masked symbol
    Line cols_[kMaxModules];
};

} // namespace mvx::qr

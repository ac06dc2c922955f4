#pragma once

#include <array>
#include <string>

namespace mvx {

// Every text the user sees, in 638 slots (see app/Msg.h for their names).
// Japanese is the reference: construction sets the Japanese texts below the
// progress and mail range, FillJapanese sets every Japanese text, and
// FillEnglish overwrites only the slots it has English texts for (some of
// them with empty strings). A slot a fill does not set keeps its text.
class CMessageTable {
public:
    static constexpr int kSlotCount = 638;
    // First slot of the progress lines, mail subjects and mail bodies, which
    // only FillJapanese sets.
    static constexpr int kFirstProgressAndMailSlot = 562;

    CMessageTable();

    void FillJapanese();
    void FillEnglish();

    // The text of a slot; an empty text for a slot outside 0..637.
    const std::string& text(int slot) const;

private:
    std::array<std::string, kSlotCount> entries_;
};

} // namespace mvx

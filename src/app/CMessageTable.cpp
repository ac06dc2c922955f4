#include "app/CMessageTable.h"

#include "app/MessageTexts.h"

namespace mvx {

namespace {
const std::string kNoText;
} // namespace

CMessageTable::CMessageTable()
{
    for (const MessageText& entry : japaneseMessageTexts())
        if (entry.slot < kFirstProgressAndMailSlot)
            entries_[static_cast<size_t>(entry.slot)] = entry.text;
}

void CMessageTable::FillJapanese()
{
    for (const MessageText& entry : japaneseMessageTexts())
        entries_[static_cast<size_t>(entry.slot)] = entry.text;
}

void CMessageTable::FillEnglish()
{
    for (const MessageText& entry : englishMessageTexts())
        entries_[static_cast<size_t>(entry.slot)] = entry.text;
}

const std::string& CMessageTable::text(int slot) const
{
    if (slot < 0 || slot >= kSlotCount)
        return kNoText;
    return entries_[static_cast<size_t>(slot)];
}

} // namespace mvx

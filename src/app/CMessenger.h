#pragma once

#include "app/CMessageTable.h"
#include "app/IInteraction.h"
#include "app/MessageFormat.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// Shows message-table texts through the interaction interface: the slot's
// text of the moment, formatted printf-style with the arguments given.
class CMessenger {
public:
    static constexpr int kNoCaption = -1;

    CMessenger(const CMessageTable& table, IInteraction& ui) : table_(table), ui_(ui) {}

    const std::string& text(int slot) const { return table_.text(slot); }

    // The slot's text, formatted; a question or refusal whose text is empty
    // in this language shows its stand-in instead of an empty box.
    template <typename... Args>
    std::string format(int slot, const Args&... args) const
    {
        return formatMessage(shownText(slot), args...);
    }

    template <typename... Args>
    void show(int slot, MsgIcon icon, const Args&... args)
    {
        showText(format(slot, args...), icon);
    }
    template <typename... Args>
    void showCaptioned(int slot, int captionSlot, MsgIcon icon, const Args&... args)
    {
        showText(format(slot, args...), icon, captionSlot);
    }
    template <typename... Args>
    bool askYesNo(int slot, MsgIcon icon, const Args&... args)
    {
        return ui_.askYesNo(format(slot, args...), icon, std::string());
    }
    template <typename... Args>
    bool askOkCancel(int slot, MsgIcon icon, const Args&... args)
    {
        return ui_.askOkCancel(format(slot, args...), icon, std::string());
    }
    template <typename... Args>
    void status(int slot, const Args&... args)
    {
        ui_.status(format(slot, args...));
    }

    // Texts put together from several slots (a file name followed by a
    // slot's text, for instance).
    void showText(const std::string& text, MsgIcon icon, int captionSlot = kNoCaption);
    bool askYesNoText(const std::string& text, MsgIcon icon, int captionSlot = kNoCaption);
    bool askOkCancelText(const std::string& text, MsgIcon icon, int captionSlot = kNoCaption);

    // The four-button dialog with the texts of four slots; returns 0..3.
    int continueConfirm(int captionSlot, const std::string& text, const std::array<int, 4>& buttonSlots);
    // The notice with a "do not show again" box; true when the box was ticked.
    bool notice(int captionSlot, const std::string& text, int checkBoxSlot);

    // From now on messages are kept back instead of shown (questions, notices
    // and status lines still reach the user), so that a long run can report
    // once at its end; releaseMessages ends that and returns what was kept.
    void holdMessages() { held_.emplace(); }
    std::vector<std::string> releaseMessages();

    IInteraction& interaction() { return ui_; }
    const CMessageTable& table() const { return table_; }

private:
    std::string caption(int captionSlot) const;
    const std::string& shownText(int slot) const;

    const CMessageTable& table_;
    IInteraction& ui_;
    std::optional<std::vector<std::string>> held_;
};

} // namespace mvx

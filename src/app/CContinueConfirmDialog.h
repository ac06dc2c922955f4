#pragma once

#include "app/CMessageTable.h"
#include "app/IInteraction.h"

#include <array>
#include <string>

namespace mvx {

// The four-button confirmation of long loops: a caption, a text and four
// buttons whose texts the caller sets. The result is the index of the button
// pressed: 0 the first (the default), 1 the second, 2 the third (the
// dialog's cancel), 3 the fourth.
class CContinueConfirmDialog {
public:
    static constexpr int kFirst = 0;
    static constexpr int kSecond = 1;
    static constexpr int kThird = 2;
    static constexpr int kFourth = 3;

    CContinueConfirmDialog(std::string caption, std::string text, std::array<std::string, 4> buttons);

    // "Overwrite": "Yes", "Overwrite all", "No", "Stop".
    static CContinueConfirmDialog forOverwrite(const CMessageTable& table, std::string text);
    // "Delete": "Yes", "Delete all", "No", "Stop".
    static CContinueConfirmDialog forDelete(const CMessageTable& table, std::string text);

    // Shows the dialog; an answer outside 0..3 counts as the fourth button,
    // which ends the loop in every use.
    int DoModal(IInteraction& ui) const;

    const std::string& caption() const { return caption_; }
    const std::string& text() const { return text_; }
    const std::array<std::string, 4>& buttons() const { return buttons_; }

private:
    std::string caption_;
    std::string text_;
    std::array<std::string, 4> buttons_;
};

} // namespace mvx

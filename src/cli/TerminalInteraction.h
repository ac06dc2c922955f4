#pragma once

#include "app/CMessageTable.h"
#include "app/IInteraction.h"

#include <iosfwd>

namespace mvx::cli {

// How questions are answered when no one is asked.
enum class AnswerPolicy { Ask, Yes, No, OverwriteAll };

// The interaction interface on a terminal: messages go to standard error,
// questions are answered by the policy or, with AnswerPolicy::Ask, at a prompt.
// Without a terminal the safe answer (No, Cancel, Stop) is taken and reported.
class TerminalInteraction : public IInteraction {
public:
    TerminalInteraction(AnswerPolicy policy, std::istream& in, std::ostream& err, bool inputIsTerminal);

    void showMessage(const std::string& text, MsgIcon icon, const std::string& caption) override;
    bool askYesNo(const std::string& text, MsgIcon icon, const std::string& caption) override;
    bool askOkCancel(const std::string& text, MsgIcon icon, const std::string& caption) override;
    int continueConfirm(const std::string& caption, const std::string& text,
                        const std::array<std::string, 4>& buttons) override;
    bool noticeWithSilence(const std::string& caption, const std::string& text,
                           const std::string& checkBoxText) override;
    std::vector<std::string> chooseFiles(const std::string& title, const std::string& startFolder) override;
    std::optional<std::string> chooseFolder(const std::string& title, const std::string& startFolder) override;
    std::optional<std::string> chooseSavePath(const std::string& title, const std::string& suggestedPath) override;
    void status(const std::string& text) override;

    // Button labels and notes come from the message table once it is filled.
    void useTexts(const CMessageTable& table) { table_ = &table; }

private:
    // Shows the choices and returns the index picked, or safeIndex without a terminal.
    int choose(const std::string& text, const std::vector<std::string>& choices, int safeIndex);
    std::optional<std::string> askLine(const std::string& prompt);

    std::string label(int slot) const;

    const CMessageTable* table_ = nullptr;
    AnswerPolicy policy_;
    std::istream& in_;
    std::ostream& err_;
    bool interactive_;
};

} // namespace mvx::cli

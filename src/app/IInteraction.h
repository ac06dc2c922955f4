#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// Severity shown with a message; the window maps these to its icons, the
// command line to a prefix, the tests record them.
enum class MsgIcon { None, Stop, Exclamation, Question, Information };

// Every message box, question and chooser of the program goes through this
// interface, so one flow runs the same in the window, in morvanex-cli and in
// the tests. Texts arrive already taken from the message table and formatted.
class IInteraction {
public:
    virtual ~IInteraction() = default;

    virtual void showMessage(const std::string& text, MsgIcon icon, const std::string& caption = {}) = 0;
    // Yes/No question: true for Yes.
    virtual bool askYesNo(const std::string& text, MsgIcon icon, const std::string& caption = {}) = 0;
    // OK/Cancel question: true for OK.
    virtual bool askOkCancel(const std::string& text, MsgIcon icon, const std::string& caption = {}) = 0;
    // Four-button confirmation of long loops; returns the index 0..3 of the button pressed.
    virtual int continueConfirm(const std::string& caption, const std::string& text,
                                const std::array<std::string, 4>& buttons) = 0;
    // Notice with a "do not show again" check box; returns true when the box was ticked.
    virtual bool noticeWithSilence(const std::string& caption, const std::string& text,
                                   const std::string& checkBoxText) = 0;
    virtual std::vector<std::string> chooseFiles(const std::string& title, const std::string& startFolder) = 0;
    virtual std::optional<std::string> chooseFolder(const std::string& title, const std::string& startFolder) = 0;
    virtual std::optional<std::string> chooseSavePath(const std::string& title, const std::string& suggestedPath) = 0;
    // A line in the status bar (or on the terminal); no answer expected.
    virtual void status(const std::string& text) = 0;

    // Choosers with a file-type filter in the "Description(*.ext)|*.ext|"
    // form. Front ends without filters fall back to the plain choosers.
    virtual std::vector<std::string> chooseFilesFiltered(const std::string& title, const std::string& startFolder,
                                                         const std::string& filter)
    {
        (void)filter;
        return chooseFiles(title, startFolder);
    }
    // A folder browser with a window title and a prompt above the tree.
    virtual std::optional<std::string> chooseFolderPrompted(const std::string& title, const std::string& prompt,
                                                            const std::string& startFolder)
    {
        (void)title;
        return chooseFolder(prompt, startFolder);
    }
    virtual std::optional<std::string> chooseSavePathFiltered(const std::string& title,
                                                              const std::string& suggestedPath,
                                                              const std::string& filter)
    {
        (void)filter;
        return chooseSavePath(title, suggestedPath);
    }
};

} // namespace mvx

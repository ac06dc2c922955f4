#pragma once

#include "app/IInteraction.h"

#include <array>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mvx::test {

// The interaction interface for tests: answers come from queues filled by the
// test (a default answer when a queue is empty), and every message, question,
// dialog and chooser is recorded with its text, caption, icon and kind.
class ScriptedInteraction : public IInteraction {
public:
    enum class Kind {
        Message,
        YesNo,
        OkCancel,
        ContinueConfirm,
        Notice,
        ChooseFiles,
        ChooseFolder,
        ChooseSavePath,
        Status
    };

    struct Shown {
        Kind kind;
        std::string text;     // message text, question, notice text, chooser title or prompt, status line
        std::string caption;  // caption; the window title of a prompted folder browser
        MsgIcon icon = MsgIcon::None;
        std::array<std::string, 4> buttons{};  // four-button dialog
        std::string checkBox;                  // notice check box text
        std::string filter;                    // chooser filter, when one was given
        std::string path;                      // start folder or suggested path of a chooser
    };

    // Queued answers, taken in order.
    void answerYesNo(bool yes) { yesNo_.push_back(yes); }
    void answerOkCancel(bool ok) { okCancel_.push_back(ok); }
    void answerContinue(int button) { continue_.push_back(button); }
    void answerNotice(bool ticked) { notice_.push_back(ticked); }
    void answerFiles(std::vector<std::string> files) { files_.push_back(std::move(files)); }
    void answerFolder(std::optional<std::string> folder) { folder_.push_back(std::move(folder)); }
    void answerSavePath(std::optional<std::string> path) { savePath_.push_back(std::move(path)); }

    // Answers when a queue is empty. Out of the box: No, Cancel, the fourth
    // button (Stop), box not ticked, no files, no folder, no save path.
    void setDefaultYesNo(bool yes) { defaultYesNo_ = yes; }
    void setDefaultOkCancel(bool ok) { defaultOkCancel_ = ok; }
    void setDefaultContinue(int button) { defaultContinue_ = button; }

    // Runs before a Yes/No, OK/Cancel or four-button question is answered
    // (the moment a user would be reading it).
    void whileAsking(std::function<void()> hook) { whileAsking_ = std::move(hook); }

    const std::vector<Shown>& shown() const { return shown_; }
    std::vector<std::string> texts() const;
    // Whether this exact text was shown at some point.
    bool showed(const std::string& text) const;
    std::vector<std::string> textsOf(Kind kind) const;
    size_t count(Kind kind) const;
    const Shown& last() const;
    void clear() { shown_.clear(); }

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
    std::vector<std::string> chooseFilesFiltered(const std::string& title, const std::string& startFolder,
                                                 const std::string& filter) override;
    std::optional<std::string> chooseSavePathFiltered(const std::string& title, const std::string& suggestedPath,
                                                      const std::string& filter) override;
    std::optional<std::string> chooseFolderPrompted(const std::string& title, const std::string& prompt,
                                                    const std::string& startFolder) override;

private:
    template <typename T>
    static T take(std::deque<T>& queue, T fallback)
    {
        if (queue.empty())
            return fallback;
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }

    void asking() const
    {
        if (whileAsking_)
            whileAsking_();
    }

    std::function<void()> whileAsking_;
    std::vector<Shown> shown_;
    std::deque<bool> yesNo_;
    std::deque<bool> okCancel_;
    std::deque<int> continue_;
    std::deque<bool> notice_;
    std::deque<std::vector<std::string>> files_;
    std::deque<std::optional<std::string>> folder_;
    std::deque<std::optional<std::string>> savePath_;
    bool defaultYesNo_ = false;
    bool defaultOkCancel_ = false;
    int defaultContinue_ = 3;
};

} // namespace mvx::test

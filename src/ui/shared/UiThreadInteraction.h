#pragma once

#include "app/IInteraction.h"
#include "ui/shared/UiThread.h"

#include <QObject>

namespace mvx::ui {

// Carries every call of the interaction interface to the window's thread and
// waits there for the answer, so batches on a worker thread ask their
// questions in the window as a batch on the window's thread would.
class UiThreadInteraction : public QObject, public IInteraction {
    Q_OBJECT
public:
    explicit UiThreadInteraction(IInteraction& target, QObject* parent = nullptr);

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
    std::optional<std::string> chooseFolderPrompted(const std::string& title, const std::string& prompt,
                                                    const std::string& startFolder) override;
    std::optional<std::string> chooseSavePathFiltered(const std::string& title, const std::string& suggestedPath,
                                                      const std::string& filter) override;

private:
    template <typename Call>
    auto onUiThread(Call call) -> decltype(call())
    {
        return onThreadOf(this, std::move(call));
    }

    IInteraction& target_;
};

} // namespace mvx::ui

#pragma once

#include "app/IInteraction.h"

#include <QString>

#include <functional>

class QWidget;

namespace mvx {
class CMessageTable;
}

namespace mvx::ui {

// The interaction interface on Qt dialogs: message boxes with their icons,
// the four-button confirmation, the notice with its check box and the file
// and folder choosers. Call it on the window's thread (UiThreadInteraction
// carries calls from workers there).
class QtInteraction : public IInteraction {
public:
    // The table that labels the buttons; set once the session has made it.
    void setTable(const CMessageTable* table) { table_ = table; }

    // The window over which dialogs open, and where status lines go.
    void setParentWindow(QWidget* parent) { parent_ = parent; }
    void setStatusSink(std::function<void(const QString&)> sink) { statusSink_ = std::move(sink); }

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

    // "Desc (*.a);;Desc (*.b)" from the "Desc(*.a)|*.a|...||" form.
    static QString qtFilters(const std::string& filter);

private:
    QString captionOr(const std::string& caption) const;
    int ask(const std::string& text, MsgIcon icon, const std::string& caption, int buttons, int defaultButton);

    QString label(int slot, const char* fallback) const;
    QWidget* shownOver() const;

    const CMessageTable* table_ = nullptr;
    QWidget* parent_ = nullptr;
    std::function<void(const QString&)> statusSink_;
};

} // namespace mvx::ui

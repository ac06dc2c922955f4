#include "ScriptedInteraction.h"

#include <algorithm>
#include <stdexcept>

namespace mvx::test {

std::vector<std::string> ScriptedInteraction::texts() const
{
    std::vector<std::string> all;
    for (const Shown& s : shown_)
        all.push_back(s.text);
    return all;
}

bool ScriptedInteraction::showed(const std::string& text) const
{
    const auto shownTexts = texts();
    return std::find(shownTexts.begin(), shownTexts.end(), text) != shownTexts.end();
}

std::vector<std::string> ScriptedInteraction::textsOf(Kind kind) const
{
    std::vector<std::string> some;
    for (const Shown& s : shown_)
        if (s.kind == kind)
            some.push_back(s.text);
    return some;
}

size_t ScriptedInteraction::count(Kind kind) const
{
    size_t n = 0;
    for (const Shown& s : shown_)
        n += s.kind == kind ? 1 : 0;
    return n;
}

const ScriptedInteraction::Shown& ScriptedInteraction::last() const
{
    if (shown_.empty())
        throw std::logic_error("nothing was shown");
    return shown_.back();
}

void ScriptedInteraction::showMessage(const std::string& text, MsgIcon icon, const std::string& caption)
{
    shown_.push_back({Kind::Message, text, caption, icon, {}, {}, {}, {}});
}

bool ScriptedInteraction::askYesNo(const std::string& text, MsgIcon icon, const std::string& caption)
{
    shown_.push_back({Kind::YesNo, text, caption, icon, {}, {}, {}, {}});
    asking();
    return take(yesNo_, defaultYesNo_);
}

bool ScriptedInteraction::askOkCancel(const std::string& text, MsgIcon icon, const std::string& caption)
{
    shown_.push_back({Kind::OkCancel, text, caption, icon, {}, {}, {}, {}});
    asking();
    return take(okCancel_, defaultOkCancel_);
}

int ScriptedInteraction::continueConfirm(const std::string& caption, const std::string& text,
                                         const std::array<std::string, 4>& buttons)
{
    shown_.push_back({Kind::ContinueConfirm, text, caption, MsgIcon::Question, buttons, {}, {}, {}});
    asking();
    return take(continue_, defaultContinue_);
}

bool ScriptedInteraction::noticeWithSilence(const std::string& caption, const std::string& text,
                                            const std::string& checkBoxText)
{
    shown_.push_back({Kind::Notice, text, caption, MsgIcon::Information, {}, checkBoxText, {}, {}});
    return take(notice_, false);
}

std::vector<std::string> ScriptedInteraction::chooseFiles(const std::string& title, const std::string& startFolder)
{
    return chooseFilesFiltered(title, startFolder, {});
}

std::vector<std::string> ScriptedInteraction::chooseFilesFiltered(const std::string& title,
                                                                  const std::string& startFolder,
                                                                  const std::string& filter)
{
    shown_.push_back({Kind::ChooseFiles, title, {}, MsgIcon::None, {}, {}, filter, startFolder});
    return take(files_, std::vector<std::string>{});
}

std::optional<std::string> ScriptedInteraction::chooseFolder(const std::string& title,
                                                             const std::string& startFolder)
{
    shown_.push_back({Kind::ChooseFolder, title, {}, MsgIcon::None, {}, {}, {}, startFolder});
    return take(folder_, std::optional<std::string>{});
}

std::optional<std::string> ScriptedInteraction::chooseSavePath(const std::string& title,
                                                               const std::string& suggestedPath)
{
    return chooseSavePathFiltered(title, suggestedPath, {});
}

std::optional<std::string> ScriptedInteraction::chooseSavePathFiltered(const std::string& title,
                                                                       const std::string& suggestedPath,
                                                                       const std::string& filter)
{
    shown_.push_back({Kind::ChooseSavePath, title, {}, MsgIcon::None, {}, {}, filter, suggestedPath});
    return take(savePath_, std::optional<std::string>{});
}

std::optional<std::string> ScriptedInteraction::chooseFolderPrompted(const std::string& title,
                                                                    const std::string& prompt,
                                                                    const std::string& startFolder)
{
    shown_.push_back({Kind::ChooseFolder, prompt, title, MsgIcon::None, {}, {}, {}, startFolder});
    return take(folder_, std::optional<std::string>{});
}

void ScriptedInteraction::status(const std::string& text)
{
    shown_.push_back({Kind::Status, text, {}, MsgIcon::None, {}, {}, {}, {}});
}

} // namespace mvx::test

#include "ui/shared/UiThreadInteraction.h"

namespace mvx::ui {

UiThreadInteraction::UiThreadInteraction(IInteraction& target, QObject* parent) : QObject(parent), target_(target) {}

void UiThreadInteraction::showMessage(const std::string& text, MsgIcon icon, const std::string& caption)
{
    onUiThread([&] { target_.showMessage(text, icon, caption); });
}

bool UiThreadInteraction::askYesNo(const std::string& text, MsgIcon icon, const std::string& caption)
{
    return onUiThread([&] { return target_.askYesNo(text, icon, caption); });
}

bool UiThreadInteraction::askOkCancel(const std::string& text, MsgIcon icon, const std::string& caption)
{
    return onUiThread([&] { return target_.askOkCancel(text, icon, caption); });
}

int UiThreadInteraction::continueConfirm(const std::string& caption, const std::string& text,
                                         const std::array<std::string, 4>& buttons)
{
    return onUiThread([&] { return target_.continueConfirm(caption, text, buttons); });
}

bool UiThreadInteraction::noticeWithSilence(const std::string& caption, const std::string& text,
                                            const std::string& checkBoxText)
{
    return onUiThread([&] { return target_.noticeWithSilence(caption, text, checkBoxText); });
}

std::vector<std::string> UiThreadInteraction::chooseFiles(const std::string& title, const std::string& startFolder)
{
    return onUiThread([&] { return target_.chooseFiles(title, startFolder); });
}

std::optional<std::string> UiThreadInteraction::chooseFolder(const std::string& title, const std::string& startFolder)
{
    return onUiThread([&] { return target_.chooseFolder(title, startFolder); });
}

std::optional<std::string> UiThreadInteraction::chooseSavePath(const std::string& title,
                                                               const std::string& suggestedPath)
{
    return onUiThread([&] { return target_.chooseSavePath(title, suggestedPath); });
}

void UiThreadInteraction::status(const std::string& text)
{
    onUiThread([&] { target_.status(text); });
}

std::vector<std::string> UiThreadInteraction::chooseFilesFiltered(const std::string& title,
                                                                  const std::string& startFolder,
                                                                  const std::string& filter)
{
    return onUiThread([&] { return target_.chooseFilesFiltered(title, startFolder, filter); });
}

std::optional<std::string> UiThreadInteraction::chooseFolderPrompted(const std::string& title,
                                                                     const std::string& prompt,
                                                                     const std::string& startFolder)
{
    return onUiThread([&] { return target_.chooseFolderPrompted(title, prompt, startFolder); });
}

std::optional<std::string> UiThreadInteraction::chooseSavePathFiltered(const std::string& title,
                                                                       const std::string& suggestedPath,
                                                                       const std::string& filter)
{
    return onUiThread([&] { return target_.chooseSavePathFiltered(title, suggestedPath, filter); });
}

} // namespace mvx::ui

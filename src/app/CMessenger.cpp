#include "app/CMessenger.h"

#include "app/Msg.h"

#include <utility>

namespace mvx {

namespace {

// Messages the English table leaves empty, with a slot that says the same.
constexpr std::pair<int, int> kStandIns[] = {
    {Msg::KeyPairMovedQuestion, Msg::KeyPairMovedQuestionEnglish},
    {Msg::EncryptedFileFolderMissing, Msg::EncryptedFileFolderMissingEnglish},
    {Msg::AutoFolderMissing, Msg::AutoFolderMissingEnglish},
    {Msg::SpecificFolderIsKeyFolder, Msg::SpecificFolderIsKeyFolderEnglish},
    {Msg::SpecificFolderMustBeHardDisk, Msg::SpecificFolderMustBeHardDiskEnglish},
    {Msg::SpecificFolderNotNetworkDrive, Msg::SpecificFolderNotNetworkDriveEnglish},
    {Msg::CannotChooseDriveDirectly, Msg::CannotChooseDriveDirectlyEnglish},
    {Msg::SystemFolderRefused, Msg::SystemFolderRefusedEnglish},
};

} // namespace

const std::string& CMessenger::shownText(int slot) const
{
    const std::string& own = table_.text(slot);
    if (!own.empty())
        return own;
    for (const auto& [empty, standIn] : kStandIns)
        if (empty == slot)
            return table_.text(standIn);
    return own;
}

std::string CMessenger::caption(int captionSlot) const
{
    return captionSlot == kNoCaption ? std::string() : table_.text(captionSlot);
}

void CMessenger::showText(const std::string& text, MsgIcon icon, int captionSlot)
{
    if (held_)
        held_->push_back(text);
    else
        ui_.showMessage(text, icon, caption(captionSlot));
}

std::vector<std::string> CMessenger::releaseMessages()
{
    std::vector<std::string> kept = held_.value_or(std::vector<std::string>());
    held_.reset();
    return kept;
}

bool CMessenger::askYesNoText(const std::string& text, MsgIcon icon, int captionSlot)
{
    return ui_.askYesNo(text, icon, caption(captionSlot));
}

bool CMessenger::askOkCancelText(const std::string& text, MsgIcon icon, int captionSlot)
{
    return ui_.askOkCancel(text, icon, caption(captionSlot));
}

int CMessenger::continueConfirm(int captionSlot, const std::string& text, const std::array<int, 4>& buttonSlots)
{
    std::array<std::string, 4> buttons;
    for (size_t i = 0; i < buttons.size(); ++i)
        buttons[i] = table_.text(buttonSlots[i]);
    return ui_.continueConfirm(caption(captionSlot), text, buttons);
}

bool CMessenger::notice(int captionSlot, const std::string& text, int checkBoxSlot)
{
    return ui_.noticeWithSilence(caption(captionSlot), text, table_.text(checkBoxSlot));
}

} // namespace mvx

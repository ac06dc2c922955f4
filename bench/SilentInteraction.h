#pragma once

#include "app/IInteraction.h"

// Answers every question with its first choice and shows nothing.
class SilentInteraction : public mvx::IInteraction {
public:
    void showMessage(const std::string&, mvx::MsgIcon, const std::string&) override {}
    bool askYesNo(const std::string&, mvx::MsgIcon, const std::string&) override { return true; }
    bool askOkCancel(const std::string&, mvx::MsgIcon, const std::string&) override { return true; }
    int continueConfirm(const std::string&, const std::string&, const std::array<std::string, 4>&) override
    {
        return 0;
    }
    bool noticeWithSilence(const std::string&, const std::string&, const std::string&) override { return false; }
    std::vector<std::string> chooseFiles(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> chooseFolder(const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> chooseSavePath(const std::string&, const std::string&) override { return {}; }
    void status(const std::string&) override {}
};

#pragma once

#include "app/IInteraction.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// For work done ahead on a helper thread: counts what would have been shown
// and answers every question with its safe choice.
class CountingInteraction : public IInteraction {
public:
    void showMessage(const std::string&, MsgIcon, const std::string&) override { ++shown; }
    bool askYesNo(const std::string&, MsgIcon, const std::string&) override { return asked(false); }
    bool askOkCancel(const std::string&, MsgIcon, const std::string&) override { return asked(false); }
    int continueConfirm(const std::string&, const std::string&, const std::array<std::string, 4>&) override
    {
        return asked(3);
    }
    bool noticeWithSilence(const std::string&, const std::string&, const std::string&) override { return asked(false); }
    std::vector<std::string> chooseFiles(const std::string&, const std::string&) override
    {
        return asked(std::vector<std::string>());
    }
    std::optional<std::string> chooseFolder(const std::string&, const std::string&) override
    {
        return asked(std::optional<std::string>());
    }
    std::optional<std::string> chooseSavePath(const std::string&, const std::string&) override
    {
        return asked(std::optional<std::string>());
    }
    void status(const std::string&) override {}

    int shown = 0;

private:
    template <typename T>
    T asked(T answer)
    {
        ++shown;
        return answer;
    }
};

} // namespace mvx

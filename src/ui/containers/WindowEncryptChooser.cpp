#include "ui/containers/WindowEncryptChooser.h"

#include "ui/containers/CEncryptOptDlg.h"
#include "ui/containers/CKeyListSel.h"
#include "ui/shared/UiThread.h"
#include "workbench/CandidateList.h"

#include <utility>

namespace mvx::ui {

WindowEncryptChooser::WindowEncryptChooser(CMessenger& messenger, mvx::DestinationListEditor& keyChainList,
                                           std::function<bool()> deleteCheck1, QWidget* parentWindow)
    : messenger_(messenger), keyChainList_(keyChainList), deleteCheck1_(std::move(deleteCheck1)),
      parent_(parentWindow)
{
}

std::optional<EncryptChoices> WindowEncryptChooser::chooseDestinations(const std::string&,
                                                                       const std::vector<std::string>&)
{
    return onThreadOf(this, [&]() -> std::optional<EncryptChoices> {
        mvx::DestinationChoiceRules selection(deleteCheck1_());
        CandidateList candidates(keyChainList_);
        candidates.show();
        CKeyListSel dialog(selection, candidates, messenger_, parent_);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return selection.choices();
    });
}

std::optional<EncryptChoices> WindowEncryptChooser::destinationListSelection()
{
    return onThreadOf(this, [this] { return std::exchange(listSelection_, std::nullopt); });
}

void WindowEncryptChooser::setDestinationListSelection(EncryptChoices choices) { listSelection_ = std::move(choices); }

bool WindowEncryptChooser::runEncryptOptions(mvx::EncryptOptionRules& fields)
{
    return onThreadOf(this, [&] {
        CEncryptOptDlg dialog(fields, messenger_, parent_);
        return dialog.exec() == QDialog::Accepted;
    });
}

} // namespace mvx::ui

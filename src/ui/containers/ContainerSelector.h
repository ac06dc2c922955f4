#pragma once

#include <functional>

#include "ui/shared/ListChoiceDialog.h"
#include "workbench/ContainerChoice.h"

namespace mvx::ui {

// The list of containers with their dates; View/Forwarding and Cancel.
class ContainerSelector : public ListChoiceDialog {
    Q_OBJECT
public:
    ContainerSelector(const CMessageTable& table, Labels labels, const std::vector<ContainerRow>& rows,
                      QWidget* parent);

    // Shows the dialog and returns what the user did.
    ContainerChoice choose();
    // Runs when the accepting button is pressed with no row chosen; the
    // dialog then stays open for the choice.
    void whenNothingChosen(std::function<void()> tell) { nothingChosen_ = std::move(tell); }

    void accept() override;

private:
    std::function<void()> nothingChosen_;
};

} // namespace mvx::ui

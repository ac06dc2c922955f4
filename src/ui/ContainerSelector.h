#pragma once

#include "ui/ListChoiceDialog.h"
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
};

} // namespace mvx::ui

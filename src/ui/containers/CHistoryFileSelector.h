#pragma once

#include "ui/containers/ContainerSelector.h"

namespace mvx::ui {

// "Show File Logs" with several containers that carry a history: the user
// picks the one to view.
class CHistoryFileSelector : public ContainerSelector {
    Q_OBJECT
public:
    CHistoryFileSelector(const CMessageTable& table, const std::vector<ContainerRow>& rows, QWidget* parent = nullptr);
};

} // namespace mvx::ui

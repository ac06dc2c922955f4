#pragma once

#include "ui/containers/ContainerSelector.h"

namespace mvx::ui {

// "Forward File": the user picks the container to forward.
class CTransportKlxSelDlg : public ContainerSelector {
    Q_OBJECT
public:
    CTransportKlxSelDlg(const CMessageTable& table, const std::vector<ContainerRow>& rows, QWidget* parent = nullptr);
};

} // namespace mvx::ui

#pragma once

#include "engine/CArchiveHistoryMan.h"
#include "ui/shared/ListChoiceDialog.h"

#include <optional>

namespace mvx::ui {

// The addresses a container's history records; the user picks those to
// forward it to.
class CKlxSetAdrsViewDlg : public ListChoiceDialog {
    Q_OBJECT
public:
    CKlxSetAdrsViewDlg(const CMessageTable& table, const std::vector<CArchiveHistoryMan::NameEntry>& addresses,
                       QWidget* parent = nullptr);

    // The rows picked; nullopt is Cancel.
    std::optional<std::vector<size_t>> choose();
};

} // namespace mvx::ui

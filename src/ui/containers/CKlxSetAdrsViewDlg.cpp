#include "ui/containers/CKlxSetAdrsViewDlg.h"

#include "app/Msg.h"

namespace mvx::ui {

CKlxSetAdrsViewDlg::CKlxSetAdrsViewDlg(const CMessageTable& table,
                                       const std::vector<CArchiveHistoryMan::NameEntry>& addresses, QWidget* parent)
    : ListChoiceDialog(table,
                       {Msg::SelectForwardingAddress, Msg::KlxAddressesFollow,
                        {Msg::ColumnUserName, Msg::ColumnMailAddress}, Msg::ForwardingExecution},
                       true, parent)
{
    setObjectName("CKlxSetAdrsViewDlg");
    std::vector<QStringList> rows;
    for (const auto& entry : addresses)
        rows.push_back({QString::fromStdString(entry.userName), QString::fromStdString(entry.mail)});
    setRows(rows);
}

std::optional<std::vector<size_t>> CKlxSetAdrsViewDlg::choose()
{
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return chosenRows();
}

} // namespace mvx::ui

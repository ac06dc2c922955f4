#include "ui/containers/CTransportKlxSelDlg.h"

#include "app/Msg.h"

namespace mvx::ui {

CTransportKlxSelDlg::CTransportKlxSelDlg(const CMessageTable& table, const std::vector<ContainerRow>& rows,
                                         QWidget* parent)
    : ContainerSelector(table,
                        {Msg::ForwardCaption, Msg::ForwardText, {Msg::ColumnFileNameForward, Msg::ColumnDate},
                         Msg::Forwarding},
                        rows, parent)
{
    setObjectName("CTransportKlxSelDlg");
}

} // namespace mvx::ui

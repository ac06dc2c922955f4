#include "ui/containers/CHistoryFileSelector.h"

#include "app/Msg.h"

namespace mvx::ui {

CHistoryFileSelector::CHistoryFileSelector(const CMessageTable& table, const std::vector<ContainerRow>& rows,
                                           QWidget* parent)
    : ContainerSelector(table,
                        {Msg::HistorySelectorCaption, Msg::HistorySelectorText, {Msg::ColumnFileName, Msg::ColumnDate},
                         Msg::View},
                        rows, parent)
{
    setObjectName("CHistoryFileSelector");
}

} // namespace mvx::ui

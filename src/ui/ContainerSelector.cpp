#include "ui/ContainerSelector.h"

namespace mvx::ui {

ContainerSelector::ContainerSelector(const CMessageTable& table, Labels labels, const std::vector<ContainerRow>& rows,
                                     QWidget* parent)
    : ListChoiceDialog(table, std::move(labels), false, parent)
{
    std::vector<QStringList> shown;
    for (const ContainerRow& row : rows)
        shown.push_back({QString::fromStdString(row.fileName), QString::fromStdString(row.date)});
    setRows(shown);
}

ContainerChoice ContainerSelector::choose()
{
    ContainerChoice choice;
    choice.confirmed = exec() == QDialog::Accepted;
    const auto rows = chosenRows();
    if (!rows.empty())
        choice.index = rows.front();
    return choice;
}

} // namespace mvx::ui

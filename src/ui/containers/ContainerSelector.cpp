#include "ui/containers/ContainerSelector.h"

#include <QTreeWidget>

namespace mvx::ui {

ContainerSelector::ContainerSelector(const CMessageTable& table, Labels labels, const std::vector<ContainerRow>& rows,
                                     QWidget* parent)
    : ListChoiceDialog(table, std::move(labels), false, parent)
{
    std::vector<QStringList> shown;
    for (const ContainerRow& row : rows)
        shown.push_back({QString::fromStdString(row.fileName), QString::fromStdString(row.date)});
    setRows(shown);
    // A single container is the one meant.
    if (rows.size() == 1)
        list()->setCurrentIndex(list()->model()->index(0, 0));
}

void ContainerSelector::accept()
{
    if (chosenRows().empty() && nothingChosen_) {
        nothingChosen_();
        return;
    }
    ListChoiceDialog::accept();
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

#pragma once

#include <QDialog>
#include <QStringList>

#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace mvx {
class CMessageTable;
}

namespace mvx::ui {

// A dialog of a caption, an explanation, a list and two buttons; the base of
// the container selectors and the forwarding address choice. The accepting
// button closes it whether or not a row is chosen: the flow behind it says
// what is missing and asks again.
class ListChoiceDialog : public QDialog {
    Q_OBJECT
public:
    struct Labels {
        int caption;
        int text;
        std::vector<int> columns;
        int accept;
    };

    ListChoiceDialog(const CMessageTable& table, Labels labels, bool multiple, QWidget* parent);

    void setRows(const std::vector<QStringList>& rows);
    std::vector<size_t> chosenRows() const;
    QTreeWidget* list() const { return list_; }

protected:
    void relabel();

private:
    const CMessageTable& table_;
    Labels labels_;
    QLabel* text_;
    QTreeWidget* list_;
    QPushButton* accept_;
    QPushButton* cancel_;
};

} // namespace mvx::ui

#include "LayoutLint.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QTreeView>

namespace mvx::test {

namespace {

class Findings {
public:
    explicit Findings(const QString& window) : window_(window) {}

    void needs(const QWidget* widget, const QString& text, int needed, int has)
    {
        if (needed > has)
            lines_ << QString("%1: %2 (%3) needs %4 px for \"%5\", has %6")
                          .arg(window_, widget->objectName(), widget->metaObject()->className())
                          .arg(needed)
                          .arg(text)
                          .arg(has);
    }
    void add(const QString& line) { lines_ << window_ + ": " + line; }
    QStringList lines() const { return lines_; }

private:
    QString window_;
    QStringList lines_;
};

// Widgets Qt composes itself (the calendar's parts, a spin box's field, an
// editable drop-down's field) are left to Qt.
bool composedByQt(const QWidget* widget)
{
    for (const QWidget* up = widget->parentWidget(); up; up = up->parentWidget())
        if (qobject_cast<const QCalendarWidget*>(up) || qobject_cast<const QAbstractSpinBox*>(up) ||
            qobject_cast<const QComboBox*>(up))
            return true;
    return false;
}

int textWidth(const QWidget* widget, const QString& text)
{
    return widget->fontMetrics().size(Qt::TextShowMnemonic, text).width();
}

void checkLabel(const QLabel* label, Findings& findings)
{
    if (label->text().isEmpty() || Qt::mightBeRichText(label->text()))
        return;
    const QRect room = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                                      -label->margin());
    if (label->wordWrap()) {
        findings.needs(label, label->text(), label->heightForWidth(label->width()), label->height());
        return;
    }
    const QSize needed = label->fontMetrics().size(Qt::TextShowMnemonic, label->text());
    findings.needs(label, label->text(), needed.width(), room.width());
    findings.needs(label, label->text(), needed.height(), room.height());
}

// The text against the part of the button its label is drawn in.
void checkButton(const QAbstractButton* button, Findings& findings)
{
    if (button->text().isEmpty())
        return;
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    QStyle::SubElement contents = QStyle::SE_PushButtonContents;
    if (qobject_cast<const QCheckBox*>(button))
        contents = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<const QRadioButton*>(button))
        contents = QStyle::SE_RadioButtonContents;
    else if (!qobject_cast<const QPushButton*>(button))
        return;
    const QRect room = button->style()->subElementRect(contents, &option, button);
    const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
    findings.needs(button, button->text(), textWidth(button, button->text()) + icon, room.width());
}

// A field's hint must show whole while the field is empty.
void checkField(const QLineEdit* field, Findings& findings)
{
    if (!field->text().isEmpty() || field->placeholderText().isEmpty())
        return;
    const QMargins margins = field->textMargins();
    const int frame = 2 * field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, field);
    const int needed = field->fontMetrics().horizontalAdvance(field->placeholderText()) + margins.left() +
                       margins.right() + frame + 4;
    findings.needs(field, field->placeholderText(), needed, field->width());
}

void checkDropDown(const QComboBox* combo, Findings& findings)
{
    if (combo->isEditable())
        return;
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = false;
    const QRect field =
        combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
    for (int i = 0; i < combo->count(); ++i) {
        const int icon = combo->itemIcon(i).isNull() ? 0 : combo->iconSize().width() + 4;
        findings.needs(combo, combo->itemText(i), combo->fontMetrics().horizontalAdvance(combo->itemText(i)) + icon,
                       field.width());
    }
}

void checkHeader(const QHeaderView* header, Findings& findings)
{
    if (!header->isVisible() || header->orientation() != Qt::Horizontal || !header->model())
        return;
    const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int section = 0; section < header->count(); ++section) {
        if (header->isSectionHidden(section))
            continue;
        const QString text = header->model()->headerData(section, Qt::Horizontal).toString();
        int needed = header->fontMetrics().horizontalAdvance(text) + margin;
        if (header->isSortIndicatorShown() && header->sortIndicatorSection() == section)
            needed += header->style()->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, header) + margin;
        findings.needs(header, QString("%1 (column %2)").arg(text).arg(section), needed, header->sectionSize(section));
    }
}

// The rows in sight (of a tree: the expanded ones) and every column of each.
void checkCells(const QAbstractItemView* view, const QModelIndex& parent, Findings& findings)
{
    const QAbstractItemModel* model = view->model();
    const auto* tree = qobject_cast<const QTreeView*>(view);
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.font = view->font();
    const int small = view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view);
    option.decorationSize = view->iconSize().isValid() ? view->iconSize() : QSize(small, small);
    for (int row = 0; row < model->rowCount(parent); ++row) {
        for (int column = 0; column < model->columnCount(parent); ++column) {
            const QModelIndex index = model->index(row, column, parent);
            const QRect rect = view->visualRect(index);
            if (rect.isEmpty() || !view->viewport()->rect().intersects(rect))
                continue;
            const QString text = index.data().toString();
            const int needed = view->itemDelegateForIndex(index)->sizeHint(option, index).width();
            findings.needs(view, QString("%1 (row %2, column %3)").arg(text).arg(row).arg(column), needed,
                           rect.width());
        }
        const QModelIndex first = model->index(row, 0, parent);
        if (tree && tree->isExpanded(first))
            checkCells(view, first, findings);
    }
}

void checkScreen(QWidget& window, Findings& findings)
{
    const QRect screen = window.screen()->availableGeometry();
    if (!screen.contains(window.frameGeometry()))
        findings.add(QString("the window (%1x%2 at %3,%4) reaches past the screen (%5x%6)")
                         .arg(window.frameGeometry().width())
                         .arg(window.frameGeometry().height())
                         .arg(window.frameGeometry().x())
                         .arg(window.frameGeometry().y())
                         .arg(screen.width())
                         .arg(screen.height()));
}

// What the window system holds of the window: one colour is a window that was
// never painted.
void checkPainted(QWidget& window, Findings& findings)
{
    const QImage shown = window.screen()->grabWindow(window.winId()).toImage();
    if (shown.isNull()) {
        findings.add("nothing of the window could be grabbed");
        return;
    }
    const QRgb first = shown.pixel(0, 0);
    for (int y = 0; y < shown.height(); y += 3)
        for (int x = 0; x < shown.width(); x += 3)
            if (shown.pixel(x, y) != first)
                return;
    findings.add("the window shows one colour only: it was not painted");
}

} // namespace

QStringList layoutFindings(const QString& name, QWidget& window)
{
    Findings findings(name);
    checkScreen(window, findings);
    checkPainted(window, findings);
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (!widget->isVisible() || widget->window() != &window || composedByQt(widget))
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget))
            checkLabel(label, findings);
        else if (auto* button = qobject_cast<QAbstractButton*>(widget))
            checkButton(button, findings);
        else if (auto* field = qobject_cast<QLineEdit*>(widget))
            checkField(field, findings);
        else if (auto* combo = qobject_cast<QComboBox*>(widget))
            checkDropDown(combo, findings);
        else if (auto* header = qobject_cast<QHeaderView*>(widget))
            checkHeader(header, findings);
        else if (auto* view = qobject_cast<QAbstractItemView*>(widget); view && view->model())
            checkCells(view, view->rootIndex(), findings);
    }
    return findings.lines();
}

} // namespace mvx::test

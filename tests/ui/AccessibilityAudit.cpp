#include "AccessibilityAudit.h"

#include <QAbstractSpinBox>
#include <QAccessible>
#include <QApplication>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWizard>

#include <algorithm>
#include <vector>

namespace mvx::test {

namespace {

QString describe(const QWidget* widget)
{
    return QString("%1 (%2)").arg(widget->objectName(), widget->metaObject()->className());
}

// Qt's own parts (a calendar's table, a spin box's or drop-down's field)
// speak for the control they belong to.
QWidget* control(QWidget* widget)
{
    QWidget* owner = widget;
    for (QWidget* up = widget->parentWidget(); up && !up->isWindow(); up = up->parentWidget())
        if (qobject_cast<QCalendarWidget*>(up) || qobject_cast<QAbstractSpinBox*>(up) || qobject_cast<QComboBox*>(up))
            owner = up;
    return owner;
}

bool reachable(const QWidget* widget, const QWidget& window)
{
    return widget->window() == &window && widget->isVisible() && widget->isEnabled() &&
           (widget->focusPolicy() & Qt::TabFocus);
}

// The focusable controls as the accessibility tree lists them.
void collectFocusable(QAccessibleInterface* node, const QWidget& window, std::vector<QWidget*>& found)
{
    for (int i = 0; i < node->childCount(); ++i) {
        QAccessibleInterface* child = node->child(i);
        if (!child)
            continue;
        auto* widget = qobject_cast<QWidget*>(child->object());
        const QAccessible::State state = child->state();
        if (widget && state.focusable && !state.invisible && !state.disabled && reachable(widget, window))
            found.push_back(widget);
        collectFocusable(child, window, found);
    }
}

// A name is its own (accessible name, text, buddy label) or that of the label
// the tree relates to it (how a drop-down is named on this desktop).
QStringList namesOf(QWidget* widget)
{
    QStringList names{asName(widget->accessibleName())};
    if (QAccessibleInterface* node = QAccessible::queryAccessibleInterface(widget)) {
        names << asName(node->text(QAccessible::Name));
        for (const auto& [label, relation] : node->relations(QAccessible::Label))
            if (label)
                names << asName(label->text(QAccessible::Name));
    }
    names.removeAll(QString());
    return names;
}

void checkNames(const std::vector<QWidget*>& controls, const TableNames& shownTexts, QStringList& findings)
{
    for (QWidget* widget : controls) {
        QWidget* named = control(widget);
        const QStringList names = namesOf(named);
        if (names.isEmpty())
            findings << describe(named) + " has no name";
        else if (std::none_of(names.begin(), names.end(), [&](const QString& name) { return shownTexts.has(name); }))
            findings << describe(named) + " is named \"" + names.join("\", \"") + "\", not a text of this language";
    }
}

// Tab stops once in a group of radio buttons; the arrow keys go on inside it.
const void* tabStop(QWidget* widget)
{
    if (auto* radio = qobject_cast<QRadioButton*>(widget)) {
        if (radio->group())
            return radio->group();
        if (radio->autoExclusive())
            return radio->parentWidget();
    }
    return control(widget);
}

// Tab from the first control round the window, as a keyboard user does.
void checkTabOrder(QWidget& window, const std::vector<QWidget*>& controls, QStringList& findings)
{
    if (controls.empty())
        return;
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) {
        findings << "the window could not be made active";
        return;
    }
    controls.front()->setFocus(Qt::TabFocusReason);
    std::set<const void*> reached;
    for (size_t press = 0; press < 3 * controls.size() + 3; ++press) {
        if (QWidget* focused = QApplication::focusWidget())
            reached.insert(tabStop(focused));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &window, Qt::Key_Tab);
    }
    for (QWidget* widget : controls)
        if (!reached.count(tabStop(widget)))
            findings << describe(control(widget)) + " is never reached by Tab";
}

void checkDialogButtons(QWidget& window, QStringList& findings)
{
    // The destination list is a window of its own, where Enter opens the entry.
    auto* dialog = qobject_cast<QDialog*>(&window);
    if (!dialog || qobject_cast<QWizard*>(dialog) || dialog->objectName() == "CKeyChainList")
        return;
    bool hasDefault = false;
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        hasDefault = hasDefault || (button->isVisible() && button->isDefault());
    if (!hasDefault)
        findings << "no default button";
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : dialog, Qt::Key_Escape);
    if (dialog->isVisible())
        findings << "Escape does not close the dialog";
}

} // namespace

QString asName(QString text)
{
    text = text.section('\t', 0, 0);
    text.remove('&');
    text = text.trimmed();
    while (text.endsWith(':') || text.endsWith(QChar(0xFF1A)))
        text.chop(1);
    return text.trimmed();
}

TableNames::TableNames(const std::vector<QString>& texts)
{
    for (const QString& text : texts)
        for (const QString& line : QStringList(text) + text.split('\n')) {
            const QString name = asName(line);
            if (!name.contains('%')) {
                names_.insert(name);
                continue;
            }
            // A text with its values filled in: "%s" and "%d" stand for any.
            QString pattern = QRegularExpression::escape(name);
            pattern.replace("%s", ".*").replace("%d", "[0-9]+");
            patterns_.emplace_back(QRegularExpression::anchoredPattern(pattern));
        }
}

bool TableNames::has(const QString& name) const
{
    return names_.count(name) ||
           std::any_of(patterns_.begin(), patterns_.end(),
                       [&](const QRegularExpression& pattern) { return pattern.match(name).hasMatch(); });
}

QStringList accessibilityFindings(const QString& name, QWidget& window, const TableNames& shownTexts)
{
    std::vector<QWidget*> controls;
    if (QAccessibleInterface* root = QAccessible::queryAccessibleInterface(&window))
        collectFocusable(root, window, controls);
    QStringList findings;
    checkNames(controls, shownTexts, findings);
    checkTabOrder(window, controls, findings);
    checkDialogButtons(window, findings);
    for (QString& line : findings)
        line = name + ": " + line;
    return findings;
}

} // namespace mvx::test

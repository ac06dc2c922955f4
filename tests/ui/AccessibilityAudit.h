#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <set>
#include <vector>

class QWidget;

namespace mvx::test {

// The texts of a message table as names are read: without "&", a trailing
// colon or what follows a tab, each line also on its own; a text with "%s"
// or "%d" matches with any value in their place.
class TableNames {
public:
    explicit TableNames(const std::vector<QString>& texts);
    bool has(const QString& name) const;

private:
    std::set<QString> names_;
    std::vector<QRegularExpression> patterns_;
};

QString asName(QString text);

// What a user of a screen reader or of the keyboard alone would miss in a
// window: a control a screen reader reaches with no name, or with one that
// is not a text of the current language; a control Tab never reaches; a
// dialog with no default button or that Escape does not close. One line per
// finding.
QStringList accessibilityFindings(const QString& name, QWidget& window, const TableNames& shownTexts);

} // namespace mvx::test

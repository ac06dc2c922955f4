#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace mvx::test {

// What a user of a window at its size would miss: texts of labels, buttons,
// check boxes, fields, drop-down lists, header sections and the visible list
// cells that need more room than they have, a window reaching past the
// available screen, a window shown but never painted. One line per finding.
QStringList layoutFindings(const QString& name, QWidget& window);

} // namespace mvx::test

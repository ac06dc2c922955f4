#include "ui/QtClipboardText.h"

#include <QClipboard>
#include <QGuiApplication>

namespace mvx::ui {

std::optional<std::string> QtClipboardText::text(Failure& failure)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        failure = Failure::CannotOpen;
        return std::nullopt;
    }
    const QString text = clipboard->text();
    if (text.isEmpty()) {
        failure = Failure::NoText;
        return std::nullopt;
    }
    failure = Failure::None;
    return text.toStdString();
}

void QtClipboardText::clear()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->clear();
}

} // namespace mvx::ui

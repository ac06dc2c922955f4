#include "ui/shared/QtClipboardText.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace mvx::ui {

std::optional<std::string> QtClipboardText::text(Failure& failure)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMimeData* data = clipboard ? clipboard->mimeData() : nullptr;
    if (!data) {
        failure = Failure::CannotOpen;
        return std::nullopt;
    }
    // Copied files come as a URI list, one URI a line; the plain text of
    // the same copy would be the paths undecoded or cut at line breaks.
    const std::string text = data->hasFormat("text/uri-list") ? data->data("text/uri-list").toStdString()
                                                               : data->text().toStdString();
    if (text.empty()) {
        failure = Failure::NoText;
        return std::nullopt;
    }
    failure = Failure::None;
    return text;
}

void QtClipboardText::clear()
{
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->clear();
}

} // namespace mvx::ui

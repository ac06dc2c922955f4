#pragma once

#include "barcode/QrSymbolBitmap.h"

#include <optional>

namespace mvx {

class AppSession;

// The barcode window's logic: the own registration symbol (level M, the
// smallest version that holds it) and its saving as a bitmap file.
class QrcodeView {
public:
    explicit QrcodeView(AppSession& session) : session_(session) {}

    // Makes the symbol; false after its message.
    bool make();
    // The symbol made, one pixel per module with its border; null before make().
    const QrSymbolBitmap* picture() const { return picture_ ? &*picture_ : nullptr; }
    // Asks for a file in a save dialog (".bmp" added when the name has no
    // extension), asks before replacing an existing file and writes it.
    // True when written.
    bool save();

private:
    AppSession& session_;
    std::optional<QrSymbolBitmap> picture_;
};

} // namespace mvx

#pragma once

#include <optional>
#include <string>

namespace mvx {

// The clipboard as the file manager's entries hand paths over through it.
class IClipboardText {
public:
    enum class Failure { None, NoText = 1, CannotOpen = 2, Unexpected = 3 };

    virtual ~IClipboardText() = default;
    // The clipboard's text, or the failure.
    virtual std::optional<std::string> text(Failure& failure) = 0;
    virtual void clear() = 0;
};

} // namespace mvx

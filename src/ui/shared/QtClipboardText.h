#pragma once

#include "app/IClipboardText.h"

namespace mvx::ui {

// The desktop's clipboard for the file manager's hand-over of paths.
class QtClipboardText : public IClipboardText {
public:
    std::optional<std::string> text(Failure& failure) override;
    void clear() override;
};

} // namespace mvx::ui

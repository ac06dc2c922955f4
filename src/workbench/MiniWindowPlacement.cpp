#include "workbench/MiniWindowPlacement.h"

#include <algorithm>

namespace mvx {

int MiniWindowPlacement::normalisedPosition(int setting)
{
    if (setting == 6)
        return 5;
    return setting >= 1 && setting <= 5 ? setting : 4;
}

MiniWindowPlacement::Point MiniWindowPlacement::place(int positionSetting, const Rect& screen, int windowWidth,
                                                      int windowHeight, Point last)
{
    const int left = screen.x;
    const int top = screen.y;
    const int right = std::max(left, screen.x + screen.width - windowWidth);
    const int bottom = std::max(top, screen.y + screen.height - windowHeight);
    switch (normalisedPosition(positionSetting)) {
    case 1:
        return {left, top};
    case 2:
        return {right, top};
    case 3:
        return {left, bottom};
    case 5:
        return {std::clamp(last.x, left, right), std::clamp(last.y, top, bottom)};
    default:
        return {right, bottom};
    }
}

} // namespace mvx

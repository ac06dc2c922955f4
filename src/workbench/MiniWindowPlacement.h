#pragma once

namespace mvx {

// Where the mini window appears on the screen's available area, from the
// setting "SmallMenuPosition": 1 upper left, 2 upper right, 3 lower left,
// 4 lower right, 5 the last position ("SmallMenuPositionX/Y"); a stored 6
// counts as 5, other values as 4. The window always stays on the screen.
struct MiniWindowPlacement {
    struct Rect {
        int x = 0, y = 0, width = 0, height = 0;
    };
    struct Point {
        int x = 0, y = 0;
    };

    static int normalisedPosition(int setting);
    static Point place(int positionSetting, const Rect& screen, int windowWidth, int windowHeight, Point last);
};

} // namespace mvx

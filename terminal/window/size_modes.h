#pragma once

#include <QSize>

#include <algorithm>

namespace tessa {

// The two window layouts, in twips. Only these items move between the modes.
struct SizeMode {
    int windowWidth;
    int windowHeight;
    int label3Left, label3Top;
    int command16Left, command16Top;
    int command14Left, command14Top;
    int viewsLeft, viewsTop;  // Text4 and Text6, one over the other
    int viewsWidth, viewsHeight;
    bool line1Visible;
    const char* widthType;  // stored under "Width_type"
};

// Receive views to the right of the tab control.
inline constexpr SizeMode kWideMode {16425, 7410, 9840, 840,  12120, 840,   13680,
                                     840,   9000, 1320, 7215, 5100,  false, "1"};
// Receive views below the tab control.
inline constexpr SizeMode kNarrowMode {9150, 12365, 240,  7000, 2520, 7000, 4080,
                                       7000, 240,   7500, 8655, 4100, true, "0"};

// The tab control's designed place, in twips; the receive views stand beside it or below it.
inline constexpr int kTabLeft = 120, kTabTop = 840, kTabWidth = 8700, kTabHeight = 6000;

// What a window larger than its mode's designed size adds to the tab control (pixels): the
// extra height while the views stand beside it (wide), the extra width while they stand below
// it (narrow), so that it never runs under them. Nothing for a window at or below its design.
// Example: tabGrowth(kWideMode, {1200, 700}, {1095, 494}) is {0, 206}.
inline QSize tabGrowth(const SizeMode& mode, QSize window, QSize designed)
{
    const bool viewsBelow = mode.viewsTop >= kTabTop + kTabHeight;
    return viewsBelow ? QSize(std::max(0, window.width() - designed.width()), 0)
                      : QSize(0, std::max(0, window.height() - designed.height()));
}

}  // namespace tessa

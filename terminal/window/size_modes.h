#pragma once

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

}  // namespace tessa

// Window positions are designed in twips, 1/1440 inch; the screen's
// logical resolution turns them into pixels (15 twips a pixel at 96 DPI).
// Every window's layout table uses these, whichever front end shows it.
#pragma once

#include <cmath>

namespace bayhaul {

struct TwipsRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline int TwipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

}  // namespace bayhaul

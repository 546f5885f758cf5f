// Window positions are designed in twips, 1/1440 inch; the screen's
// logical resolution turns them into pixels (15 twips a pixel at 96 DPI).
#pragma once

#include <cmath>

namespace bayhaul {

inline int TwipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / 1440.0));
}

}  // namespace bayhaul

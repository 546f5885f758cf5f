// Qt: a place designed in twips, in pixels at a widget's logical resolution.
#pragma once

#include "ui/twips.h"

#include <QRect>
#include <QWidget>

namespace bayhaul {

inline QRect TwipsToPixels(const TwipsRect& place, const QWidget& widget) {
    const double dpiX = widget.logicalDpiX();
    const double dpiY = widget.logicalDpiY();
    return QRect(TwipsToPixels(place.left, dpiX), TwipsToPixels(place.top, dpiY), TwipsToPixels(place.width, dpiX),
                 TwipsToPixels(place.height, dpiY));
}

}  // namespace bayhaul

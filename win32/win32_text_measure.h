// Windows: what fit_text.h needs of a control, measured with its font: the
// box its text wraps in and the width of a text (GetTextExtentPoint32).
#pragma once

#include <windows.h>

#include "app/fit_text.h"

namespace bayhaul {

// Holds a device context of the control with `font` selected while it lives.
class Win32TextMeasure {
public:
    Win32TextMeasure(HWND control, HFONT font);
    ~Win32TextMeasure();
    Win32TextMeasure(const Win32TextMeasure&) = delete;
    Win32TextMeasure& operator=(const Win32TextMeasure&) = delete;

    // The control's client area, `inset` pixels less on each side.
    TextBox Box(int inset) const;
    // Valid while this lives.
    TextWidth Width() const;

private:
    HWND control_;
    HDC dc_;
    HGDIOBJ previousFont_;
};

}  // namespace bayhaul

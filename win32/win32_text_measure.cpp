#include "win32/win32_text_measure.h"

#include <algorithm>

namespace bayhaul {

Win32TextMeasure::Win32TextMeasure(HWND control, HFONT font)
    : control_(control), dc_(GetDC(control)), previousFont_(SelectObject(dc_, font)) {}

Win32TextMeasure::~Win32TextMeasure() {
    SelectObject(dc_, previousFont_);
    ReleaseDC(control_, dc_);
}

TextBox Win32TextMeasure::Box(int inset) const {
    RECT client = {};
    GetClientRect(control_, &client);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc_, &metrics);
    const int height = std::max<int>(1, metrics.tmHeight);
    return {static_cast<int>(client.right - client.left) - 2 * inset,
            std::max(1, static_cast<int>(client.bottom - client.top) / height)};
}

TextWidth Win32TextMeasure::Width() const {
    return [dc = dc_](const std::string& text) {
        SIZE size = {};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
        return static_cast<int>(size.cx);
    };
}

}  // namespace bayhaul

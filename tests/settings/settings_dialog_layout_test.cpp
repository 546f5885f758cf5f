// The Settings dialog's layout table, at the resolutions Windows offers:
// no control is hidden under another, and the frames' edges pass clear of
// their options' circles.
#include "settings/settings_dialog_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace bayhaul {
namespace {

struct Pixels {
    int left, top, right, bottom;
};

Pixels At(const TwipsRect& place, int dpi) {
    const int left = TwipsToPixels(place.left, dpi);
    const int top = TwipsToPixels(place.top, dpi);
    return {left, top, left + TwipsToPixels(place.width, dpi), top + TwipsToPixels(place.height, dpi)};
}

// As designed, in twips: pixels may round a shared edge either way.
bool Overlap(const TwipsRect& a, const TwipsRect& b) {
    return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
           b.top < a.top + a.height;
}

TEST(SettingsDialogLayout, NoControlLiesUnderAnotherAndOptionsKeepClearOfTheirFramesEdge) {
    const ControlTable& controls = SettingsDialogControls();
    for (const int dpi : {96, 120, 144}) {
        SCOPED_TRACE(dpi);
        const Pixels window = At({0, 0, kSettingsDialogWidthTwips, kSettingsDialogHeightTwips}, dpi);
        for (const ControlSpec& a : controls) {
            if (a.kind == ControlKind::Picture) continue;  // the background
            const Pixels place = At(PlaceInWindow(controls, a), dpi);
            EXPECT_TRUE(place.left >= 0 && place.top >= 0 && place.right <= window.right &&
                        place.bottom <= window.bottom)
                << a.name << " reaches out of the dialog";
            if (a.frame != nullptr) {
                // An option's circle sits at its left: 4 pixels at 96 DPI from the frame's edge at least.
                const Pixels frame = At(FindControl(controls, a.frame).place, dpi);
                EXPECT_GE(place.left - frame.left, 4 * dpi / 96) << a.name;
                EXPECT_TRUE(place.top >= frame.top && place.right <= frame.right && place.bottom <= frame.bottom)
                    << a.name << " reaches out of " << a.frame;
            }
            for (const ControlSpec& b : controls) {
                if (&a == &b || b.kind == ControlKind::Picture) continue;
                const bool inItsFrame = (a.frame != nullptr && b.name == std::string(a.frame)) ||
                                        (b.frame != nullptr && a.name == std::string(b.frame));
                if (inItsFrame) continue;
                EXPECT_FALSE(Overlap(PlaceInWindow(controls, a), PlaceInWindow(controls, b))) << a.name << " and " << b.name;
            }
        }
    }
}

}  // namespace
}  // namespace bayhaul

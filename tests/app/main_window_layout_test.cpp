#include "app/main_window_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace bayhaul {
namespace {

// The main window's words and places: the designed controls, and the problem line.
TEST(MainWindowLayout, CaptionsTextsAndPlacesAreTheDesigns) {
    struct Expected {
        const char* name;
        const char* text;
        TwipsRect place;
    };
    const Expected design[] = {
        {"Label4", "Transfer Data From Your MX Device To Your Windows Desktop", {480, 4080, 6735, 375}},
        {"Label3",
         "Connect MX410, MX520, or NX520 terminals to this PC and ensure you turn on all terminals before pressing "
         "the button.",
         {480, 4440, 3255, 855}},
        {"Command4", "", {4920, 4680, 1515, 605}},
        {"Label2", "", {4680, 5520, 2055, 495}},
        {"Check1", "Sync Date and Time on Terminal with PC", {480, 5280, 200, 200}},
        {"Label5", "Sync Date and Time on Terminal with PC", {720, 5280, 3015, 255}},
        {"Label1", "TIME", {720, 5660, 3135, 375}},
        {"Check2", "Auto Delete Data from Device After Transfer to PC", {480, 6120, 200, 200}},
        {"Label6", "Auto Delete Data from Device After Transfer to PC", {720, 6120, 3975, 255}},
        {"Command6", "Settings", {4800, 6120, 855, 255}},
        {"Command7", "About", {5760, 6120, 855, 255}},
        {"ProgressBar1", "", {0, 6585, 7380, 255}},
        {"ProblemLine", "", {240, 3510, 6900, 405}},
    };
    ASSERT_EQ(MainWindowControls().size(), std::size(design));
    for (const Expected& e : design) {
        const ControlSpec& layout = MainWindowControl(e.name);
        EXPECT_EQ(std::string(layout.text), e.text) << e.name;
        EXPECT_EQ(layout.place.left, e.place.left) << e.name;
        EXPECT_EQ(layout.place.top, e.place.top) << e.name;
        EXPECT_EQ(layout.place.width, e.place.width) << e.name;
        EXPECT_EQ(layout.place.height, e.place.height) << e.name;
    }
    EXPECT_EQ(std::string(kMainWindowCaption), "Bayhaul");
    EXPECT_EQ(kMainWindowWidthTwips, 7380);
    EXPECT_EQ(kMainWindowHeightTwips, 6840);
    EXPECT_THROW(MainWindowControl("Command5"), std::out_of_range);
}

}  // namespace
}  // namespace bayhaul

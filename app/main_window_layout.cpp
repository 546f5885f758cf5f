#include "app/main_window_layout.h"

namespace bayhaul {

const ControlTable& MainWindowControls() {
    static const ControlTable controls = {
        {"Label4",
         ControlKind::Label,
         "Transfer Data From Your MX Device To Your Windows Desktop",
         {480, 4080, 6735, 375}},
        {"Label3",
         ControlKind::Label,
         "Connect MX410, MX520, or NX520 terminals to this PC and ensure you turn on all terminals before "
         "pressing the button.",
         {480, 4440, 3255, 855}},
        {"Command4", ControlKind::PictureButton, "", {4920, 4680, 1515, 605}, "Download"},
        // The status line; what it shows is its description.
        {"Label2", ControlKind::Label, "", {4680, 5520, 2055, 495}, "Status"},
        {"Check1", ControlKind::CheckBox, "Sync Date and Time on Terminal with PC", {480, 5280, 200, 200}},
        {"Label5",
         ControlKind::Label,
         "Sync Date and Time on Terminal with PC",
         {720, 5280, 3015, 255},
         nullptr,
         nullptr,
         "Check1"},
        {"Label1", ControlKind::Label, "TIME", {720, 5660, 3135, 375}},
        {"Check2", ControlKind::CheckBox, "Auto Delete Data from Device After Transfer to PC", {480, 6120, 200, 200}},
        {"Label6",
         ControlKind::Label,
         "Auto Delete Data from Device After Transfer to PC",
         {720, 6120, 3975, 255},
         nullptr,
         nullptr,
         "Check2"},
        {"Command6", ControlKind::Button, "Settings", {4800, 6120, 855, 255}},
        {"Command7", ControlKind::Button, "About", {5760, 6120, 855, 255}},
        {"ProgressBar1", ControlKind::ProgressBar, "", {0, 6585, 7380, 255}, "Download progress"},
        // Ours: across the foot of the picture, what went wrong in the last
        // press, in full and in colour; hidden while nothing did.
        {"ProblemLine", ControlKind::Label, "", {240, 3510, 6900, 405}},
    };
    return controls;
}

const ControlSpec& MainWindowControl(std::string_view name) {
    return FindControl(MainWindowControls(), name);
}

}  // namespace bayhaul

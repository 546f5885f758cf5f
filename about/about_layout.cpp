#include "about/about_layout.h"

namespace bayhaul {

const ControlTable& AboutBoxControls() {
    static const ControlTable controls = {
        {"picIcon", ControlKind::Picture, "", {240, 240, 240, 240}},
        {"lblTitle", ControlKind::Label, "Application Name", {660, 150, 3600, 450}},
        {"lblVersion", ControlKind::Label, "Version", {660, 690, 3600, 360}},
    };
    return controls;
}

}  // namespace bayhaul

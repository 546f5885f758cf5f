#include "ui/control_table.h"

#include <stdexcept>

namespace bayhaul {

const ControlSpec& FindControl(const ControlTable& controls, std::string_view name) {
    for (const ControlSpec& control : controls) {
        if (name == control.name) return control;
    }
    throw std::out_of_range("no control named " + std::string(name));
}

const char* AccessibleName(const ControlSpec& control) {
    return control.accessibleName != nullptr ? control.accessibleName : control.text;
}

std::string AccessibleNameWithGroup(const ControlTable& controls, const ControlSpec& control) {
    if (control.frame == nullptr) return AccessibleName(control);
    return std::string(AccessibleName(FindControl(controls, control.frame))) + ": " + AccessibleName(control);
}

TwipsRect PlaceInWindow(const ControlTable& controls, const ControlSpec& control) {
    TwipsRect place = control.place;
    if (control.frame != nullptr) {
        const TwipsRect& frame = FindControl(controls, control.frame).place;
        place.left += frame.left;
        place.top += frame.top;
    }
    return place;
}

}  // namespace bayhaul

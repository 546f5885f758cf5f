// A window as it is designed: each control with its designer name, its kind,
// its text and its place in twips. Every window's layout table is a list of
// these, and each front end builds its controls from that list, so no
// caption or position is written twice.
#pragma once

#include "ui/twips.h"

#include <string>
#include <string_view>
#include <vector>

namespace bayhaul {

enum class ControlKind { Label, Picture, PictureButton, Button, CheckBox, OptionButton, TextBox, Frame, ProgressBar, List };

struct ControlSpec {
    const char* name;  // the designer name, e.g. "Command4"
    ControlKind kind;
    // What the control shows; empty for text boxes, frames and pictures. A
    // check box that shows only its box keeps its caption here, which screen
    // readers read out.
    const char* text;
    TwipsRect place;  // inside `frame` when the control has one, else inside the window
    // What screen readers call the control where its text does not say what
    // it is; null: its text.
    const char* accessibleName = nullptr;
    // The group an option button sits in.
    const char* frame = nullptr;
    // For a check box's caption, the box: a click on the caption toggles it.
    const char* captionOf = nullptr;
};

using ControlTable = std::vector<ControlSpec>;

// The control of that designer name; throws std::out_of_range when the
// table has none.
const ControlSpec& FindControl(const ControlTable& controls, std::string_view name);

// What screen readers call the control.
const char* AccessibleName(const ControlSpec& control);
// The same, preceded by its group's name for an option, for a window whose
// groups are not elements of their own: "Extension: Default".
std::string AccessibleNameWithGroup(const ControlTable& controls, const ControlSpec& control);

// The control's place inside the window, its group's place added.
TwipsRect PlaceInWindow(const ControlTable& controls, const ControlSpec& control);

}  // namespace bayhaul

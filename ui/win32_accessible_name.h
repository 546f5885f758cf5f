// Windows: the name a screen reader reads for a control whose own text
// names it wrongly or not at all (a text box, the progress bar, the status
// line, an option whose caption is the same in two groups). The control
// answers the accessibility request (WM_GETOBJECT) with the system's own
// accessible object for it, but named as given.
#pragma once

#include <windows.h>

#include <string>

namespace bayhaul {

// What a named control's text is to a screen reader once the name replaces it.
enum class ControlText {
    Own,          // as the system gives it: a text box's value, a button's nothing
    Description,  // read after the name: the status line says what it shows
};

// Names `control` for screen readers until it is destroyed.
void SetAccessibleName(HWND control, const std::string& name, ControlText text = ControlText::Own);

// COM on this thread, single-threaded, for as long as the object lives:
// screen readers in other processes reach the controls' accessible objects
// through it.
class AccessibilitySupport {
public:
    AccessibilitySupport();
    ~AccessibilitySupport();
    AccessibilitySupport(const AccessibilitySupport&) = delete;
    AccessibilitySupport& operator=(const AccessibilitySupport&) = delete;

private:
    bool initialised_ = false;
};

}  // namespace bayhaul

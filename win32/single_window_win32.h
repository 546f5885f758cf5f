// Windows: one Bayhaul window per user. The first start holds a named mutex
// in the user's session; a later start finds it held, brings the running
// window to the front (restored if minimised) and ends. The mutex goes with
// its process, so a crash never keeps a later start from its window.
#pragma once

#include <windows.h>

namespace bayhaul {

class SingleWindow {
public:
    SingleWindow() = default;
    ~SingleWindow();
    SingleWindow(const SingleWindow&) = delete;
    SingleWindow& operator=(const SingleWindow&) = delete;

    // True when this process is to show the window. False when another one
    // shows it and was brought to the front. When the running window cannot
    // be found, true: a start that cannot hand over still gets a window.
    bool Claim();

private:
    HANDLE mutex_ = nullptr;
};

}  // namespace bayhaul

// What the Qt and the Win32 main windows do alike, written once: what each
// button and box calls, the download button's press, and a close asked for
// during it. A front end builds its controls from the layout table, forwards
// their clicks here by designer name, and implements the calls that draw its
// window and open or close the windows it owns.
#pragma once

#include "press/download_window.h"
#include "app/main_window_state.h"

#include <functional>
#include <string_view>

namespace bayhaul {

class MainWindowFront : public DownloadWindow {
public:
    MainWindowState& State() { return state_; }

protected:
    explicit MainWindowFront(MainWindowState& state) : state_(state) {}
    MainWindowFront(const MainWindowFront&) = delete;
    MainWindowFront& operator=(const MainWindowFront&) = delete;

    // A click on the button or box of that designer name; `ticked`: a box's
    // tick after the click. Other names do nothing.
    void Clicked(std::string_view name, bool ticked = false);

    // The window is asked to close. True when it may close now: the Settings
    // dialog, the About box and the report close first, and nothing the
    // dialog holds is saved. During a press, false: the press is asked to
    // stop, which takes it under a second, and the window is closed after it.
    bool MayClose();

    // The press runs on a thread of its own; the state's own flag stops it.
    bool StopRequested() final { return false; }

    // Copies the state onto the controls.
    virtual void ShowState() = 0;
    virtual void Command6_Click() = 0;  // opens the Settings dialog, or brings it forward
    virtual void Command7_Click() = 0;  // the About box, likewise
    // Shows the press just ended in the report window, when it is open.
    virtual void RefreshReport() = 0;
    // Opens the report window, or brings it forward.
    virtual void OpenReport() = 0;
    virtual void CloseOwnedWindows() = 0;
    // Closes the window as the user would (and so through MayClose).
    virtual void CloseWindow() = 0;
    // Runs `call` on the window's thread, soon; safe from any thread.
    virtual void RunOnWindowThread(std::function<void()> call) = 0;
    // The download button busy (not clickable) while a press runs, or ready.
    virtual void ShowBusy(bool busy) = 0;

    MainWindowState& state_;

private:
    void Command4_Click();
};

}  // namespace bayhaul

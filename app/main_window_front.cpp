#include "app/main_window_front.h"

#include <functional>

namespace bayhaul {

namespace {

struct ButtonHandler {
    const char* name;
    void (MainWindowFront::*click)();
};

struct BoxHandler {
    const char* name;
    void (MainWindowState::*click)(bool ticked);
};
constexpr BoxHandler kBoxes[] = {
    {"Check1", &MainWindowState::Check1Click},
    {"Check2", &MainWindowState::Check2Click},
};

}  // namespace

void MainWindowFront::Clicked(std::string_view name, bool ticked) {
    const ButtonHandler buttons[] = {
        {"Command4", &MainWindowFront::Command4_Click},
        {"Command6", &MainWindowFront::Command6_Click},
        {"Command7", &MainWindowFront::Command7_Click},
    };
    // std::invoke rather than .*: GCC's undefined-behaviour checker misreads
    // some member-pointer calls.
    for (const ButtonHandler& button : buttons) {
        if (name == button.name) std::invoke(button.click, *this);
    }
    for (const BoxHandler& box : kBoxes) {
        if (name != box.name) continue;
        std::invoke(box.click, state_, ticked);
        ShowState();
    }
}

void MainWindowFront::Command4_Click() {
    const bool started = state_.StartPress(
        *this, [this](std::function<void()> call) { RunOnWindowThread(std::move(call)); },
        [this](const DownloadResult&) {
            ShowBusy(false);
            RefreshReport();
            if (state_.CloseRequested) CloseWindow();  // the window was closed during the press
        });
    if (started && state_.PressRunning()) {
        ShowBusy(true);
        if (state_.ShowReportAtPress) OpenReport();  // the press's live view, as the user chose
    }
}

bool MainWindowFront::MayClose() {
    if (!state_.RequestClose()) return false;
    CloseOwnedWindows();
    return true;
}

}  // namespace bayhaul

// The Windows report window under wine64: the last press's report in its
// read-only box, line by line; as a dialog, Tab moves through the box and
// the three buttons, Enter closes it from the box, and so does Escape.
#include "win32/report_window_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "app/main_window_state.h"
#include "press/worker_link.h"
#include "win32/win32_locale_text.h"
#include "settings/settings_file.h"

namespace bayhaul {
namespace {

TEST(ReportWindowTest, ShowsTheLastPressLineByLineAndClosesWithEscape) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "bayhaul-report-window-test";
    std::filesystem::create_directories(folder);
    const SystemClock clock;
    Win32LocaleText locale;
    MainWindowState state({clock, locale, [](int) { return std::string(); }, (folder / kSettingsFileName).string(),
                           ProcessWorkers("no-worker.exe"), [] { return nullptr; }});
    state.Label2 = "Finished download 1 file(s) at 12/9/2026 6:02:11 PM";
    state.Label2Report = "COM3: saved C:\\Desktop\\FORM.DAT (12 bytes)\nCOM4: no terminal answered";

    auto report = std::make_unique<ReportWindow>(state, nullptr, nullptr);
    ASSERT_NE(report->Handle(), nullptr);
    HWND text = GetDlgItem(report->Handle(), 100);
    EXPECT_EQ(WindowText(text),
              "Finished download 1 file(s) at 12/9/2026 6:02:11 PM\r\n\r\nCOM3: saved C:\\Desktop\\FORM.DAT (12 "
              "bytes)\r\nCOM4: no terminal answered");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(report->Handle(), 101))) << "no history yet";

    // Escape, as the dialog manager hands it on.
    SendMessageA(report->Handle(), WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(report->Handle(), nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

// Hands the queued messages to the window's keyboard handling, as the
// program's message loop does.
void Pump(HWND window) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (window != nullptr && IsWindow(window) && IsDialogMessageA(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Press(WPARAM key) {
    PostMessageA(GetFocus(), WM_KEYDOWN, key, 0);
}

TEST(ReportWindowTest, TabReachesEveryButtonAndEnterCloses) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "bayhaul-report-window-keys";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "history.csv") << "when,press,port,outcome\r\n";  // so Open History is there
    const SystemClock clock;
    Win32LocaleText locale;
    MainWindowState::Environment environment{clock, locale, [](int) { return std::string(); },
                                             (folder / kSettingsFileName).string(),
                                             ProcessWorkers("no-worker.exe"), [] { return nullptr; }};
    environment.stateFolder = folder.string();
    MainWindowState state(std::move(environment));
    state.Label2 = "Finished download 0 file(s) at 12/9/2026 6:02:11 PM";

    auto report = std::make_unique<ReportWindow>(state, nullptr, nullptr);
    HWND window = report->Handle();
    ASSERT_NE(window, nullptr);
    HWND text = GetDlgItem(window, 100);
    HWND openHistory = GetDlgItem(window, 101);
    HWND openFolder = GetDlgItem(window, 102);
    HWND close = GetDlgItem(window, IDCANCEL);
    ASSERT_TRUE(IsWindowEnabled(openHistory));
    SetForegroundWindow(window);
    Pump(window);
    EXPECT_EQ(GetFocus(), text) << "the report has the focus at first";
    Press(VK_TAB);
    Pump(window);
    EXPECT_EQ(GetFocus(), openHistory);
    Press(VK_TAB);
    Pump(window);
    EXPECT_EQ(GetFocus(), openFolder);
    Press(VK_TAB);
    Pump(window);
    EXPECT_EQ(GetFocus(), close);
    Press(VK_TAB);
    Pump(window);
    EXPECT_EQ(GetFocus(), text) << "round again";
    EXPECT_NE(report->Handle(), nullptr) << "Tab closes nothing";

    // Enter in the report box presses the default button, Close.
    Press(VK_RETURN);
    Pump(window);
    EXPECT_EQ(report->Handle(), nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace
}  // namespace bayhaul

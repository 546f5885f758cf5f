// The Windows report window under wine64: the last press's report in its
// read-only box, line by line, and Escape closes it.
#include "win32/report_window_win32.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
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

}  // namespace
}  // namespace bayhaul

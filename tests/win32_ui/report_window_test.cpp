// The Windows report window under wine64: the last press's status in its
// read-only box and a row per port in its list; as a dialog, Tab moves
// through the box, the rows, the three buttons and the check box, Enter
// closes it from the box, and so does Escape.
#include "win32/report_window_win32.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

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
    state.ReportLines = {{3, PortOutcome::Saved, "COM3: saved C:\\Desktop\\FORM.DAT (12 bytes)"},
                         {4, PortOutcome::NoTerminal, "COM4: no terminal answered"}};
    state.Label2Report = ReportText(state.ReportLines);

    auto report = std::make_unique<ReportWindow>(state, nullptr, nullptr);
    ASSERT_NE(report->Handle(), nullptr);
    HWND text = GetDlgItem(report->Handle(), 100);
    EXPECT_EQ(WindowText(text), "Finished download 1 file(s) at 12/9/2026 6:02:11 PM");
    HWND rows = GetDlgItem(report->Handle(), 103);
    ASSERT_EQ(SendMessageA(rows, LVM_GETITEMCOUNT, 0, 0), 2);
    const auto cell = [rows](int row, int column) {
        char buffer[256] = {};
        LVITEMA item = {};
        item.iSubItem = column;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        SendMessageA(rows, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        return std::string(buffer);
    };
    EXPECT_EQ(cell(0, 0) + " | " + cell(0, 1) + " | " + cell(0, 2), "COM3 | saved C:\\Desktop\\FORM.DAT (12 bytes) | saved");
    EXPECT_EQ(cell(1, 0) + " | " + cell(1, 1), "COM4 | no terminal answered");
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
    HWND rows = GetDlgItem(window, 103);
    HWND showAtPress = GetDlgItem(window, 104);
    HWND close = GetDlgItem(window, IDCANCEL);
    ASSERT_TRUE(IsWindowEnabled(openHistory));
    SetForegroundWindow(window);
    Pump(window);
    EXPECT_EQ(GetFocus(), text) << "the report has the focus at first";
    Press(VK_TAB);
    Pump(window);
    EXPECT_EQ(GetFocus(), rows);
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
    EXPECT_EQ(GetFocus(), showAtPress);
    Press(VK_TAB);
    Pump(window);
    EXPECT_EQ(GetFocus(), text) << "round again";
    Press(VK_TAB);
    Pump(window);
    EXPECT_NE(report->Handle(), nullptr) << "Tab closes nothing";

    // Enter in the rows presses the default button, Close.
    Press(VK_RETURN);
    Pump(window);
    EXPECT_EQ(report->Handle(), nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

}  // namespace
}  // namespace bayhaul

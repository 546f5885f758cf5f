// The native Windows windows under wine64 on a virtual display: what their
// controls show and where they sit, and that clicks, edits and keys reach
// the same logic the Qt windows use.
#include "about/frm_about_win32.h"
#include "about/version_resource_win32.h"
#include "win32/win32_locale_text.h"
#include "settings/settings_dialog_layout.h"
#include "settings/settings_dialog_win32.h"
#include "settings/settings_file.h"
#include "ui/win32_accessible_name.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <oleacc.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

namespace bayhaul {
namespace {

namespace fs = std::filesystem;

std::string Text(HWND window) {
    return WindowText(window);
}

bool Checked(HWND option) {
    return SendMessageA(option, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

// What a screen reader reads of a control, asked as one asks: through the
// accessible object the control gives out.
struct ReadOut {
    std::string name;
    std::string value;
    std::string description;
};

ReadOut Accessible(HWND control) {
    IAccessible* object = nullptr;
    const HRESULT found = AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&object));
    EXPECT_EQ(found, S_OK);
    if (object == nullptr) return {};
    VARIANT self = {};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    const auto read = [&](HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, BSTR*)) {
        BSTR text = nullptr;
        (object->*get)(self, &text);
        std::string narrow;
        if (text != nullptr) {
            const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
            narrow.resize(static_cast<std::size_t>(length));
            WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), length, nullptr, nullptr);
            narrow.pop_back();  // the terminating zero
            SysFreeString(text);
        }
        return narrow;
    };
    ReadOut out{read(&IAccessible::get_accName), read(&IAccessible::get_accValue),
                read(&IAccessible::get_accDescription)};
    object->Release();
    return out;
}

// Hands every queued message to the dialog's keyboard handling, as the
// program's message loop does.
void Pump(HWND dialog) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog != nullptr && IsWindow(dialog) && IsDialogMessageA(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

class FakeChooser final : public FolderChooser {
public:
    std::optional<std::string> picked;
    int asked = 0;
    std::optional<std::string> ChooseFolder(const std::string&) override {
        ++asked;
        return picked;
    }
};

class SettingsWindowTest : public ::testing::Test {
protected:
    SettingsWindowTest() { fs::create_directories(folder_); }
    ~SettingsWindowTest() override {
        dialog_.reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // The main window has read the file before the dialog opens.
    void Open(const std::string& content) {
        { std::ofstream(settingsPath_, std::ios::binary) << content; }
        ReadSettingsFile(mainSettings_, settingsPath_);
        dialog_ = std::make_unique<Settings>(state_, nullptr, 0, nullptr, &chooser_);
    }
    HWND Control(const char* name) { return dialog_->Control(name); }
    std::string FileContent() {
        std::ifstream in(settingsPath_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    // Types into a box as the user would: the box's own change notice.
    void Type(const char* box, const char* text) { SetWindowTextA(Control(box), text); }
    void Click(const char* name) { SendMessageA(Control(name), BM_CLICK, 0, 0); }

    AccessibilitySupport accessibility_;
    fs::path folder_ = fs::temp_directory_path() / ("bayhaul-win32-ui-" + std::to_string(GetCurrentProcessId()));
    std::string settingsPath_ = (folder_ / "settings.ini").string();
    AppSettings mainSettings_;
    SettingsDialogState state_{{[](int id) { return std::string(id == 5 ? "C:\\Docs" : "C:\\Desk"); },
                                [] { return std::string("20231208105603"); }, settingsPath_, mainSettings_}};
    FakeChooser chooser_;
    std::unique_ptr<Settings> dialog_;
};

TEST_F(SettingsWindowTest, OpensWithTheFileShownAndEveryControlAtItsPlace) {
    Open("1\r\n0\r\nDesktop\r\n%T\r\nabc\r\n");
    EXPECT_EQ(Text(dialog_->Handle()), "Settings");
    EXPECT_EQ(Text(Control("Text1")), "C:\\Desk");
    EXPECT_EQ(Text(Control("Text2")), "20231208105603");
    EXPECT_EQ(Text(Control("Text3")), "abc");
    EXPECT_TRUE(Checked(Control("Option5")));
    EXPECT_TRUE(Checked(Control("Option8")));
    EXPECT_TRUE(Checked(Control("Option12")));
    EXPECT_FALSE(Checked(Control("Option4")) || Checked(Control("Option7")) || Checked(Control("Option10")));

    // Client area and controls in pixels at the screen's resolution; the
    // options sit inside their frames.
    const ScreenDpi dpi = QueryScreenDpi();
    RECT client;
    GetClientRect(dialog_->Handle(), &client);
    EXPECT_EQ(client.right, TwipsToPixels(kSettingsDialogWidthTwips, dpi.x));
    EXPECT_EQ(client.bottom, TwipsToPixels(kSettingsDialogHeightTwips, dpi.y));
    for (const char* name : {"Text1", "Option6", "Option11", "cmdApply"}) {
        const ControlSpec& layout = SettingsDialogControl(name);
        TwipsRect expected = layout.place;
        if (layout.frame) {
            expected.left += SettingsDialogControl(layout.frame).place.left;
            expected.top += SettingsDialogControl(layout.frame).place.top;
        }
        RECT shown;
        GetWindowRect(Control(name), &shown);
        MapWindowPoints(nullptr, dialog_->Handle(), reinterpret_cast<POINT*>(&shown), 2);
        const RECT want = TwipsToPixels(expected, dpi);
        EXPECT_EQ(shown.left, want.left) << name;
        EXPECT_EQ(shown.top, want.top) << name;
        EXPECT_EQ(shown.right, want.right) << name;
        EXPECT_EQ(shown.bottom, want.bottom) << name;
        if (std::string(layout.text) != "") {
            EXPECT_EQ(Text(Control(name)), layout.text) << name;
        }
    }
}

// The dialog's groups are drawn, not windows: each option's name says its
// group, so "Default" of the name is told from "Default" of the extension.
TEST_F(SettingsWindowTest, ScreenReadersNameTheBoxesAndTellTheGroupsOptionsApart) {
    Open("1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n");
    EXPECT_EQ(Accessible(Control("Text1")).name, "Saved location folder");
    EXPECT_EQ(Accessible(Control("Text2")).name, "File name");
    EXPECT_EQ(Accessible(Control("Text2")).value, "FORM") << "the box's own value stays";
    EXPECT_EQ(Accessible(Control("Text3")).name, "File name extension");
    EXPECT_EQ(Accessible(Control("Option4")).name, "Saved location: My Documents");
    EXPECT_EQ(Accessible(Control("Option7")).name, "Saved file name: Default");
    EXPECT_EQ(Accessible(Control("Option9")).name, "Saved file name: Custom");
    EXPECT_EQ(Accessible(Control("Option10")).name, "Extension: Default");
    EXPECT_EQ(Accessible(Control("Option12")).name, "Extension: Custom");
    EXPECT_EQ(Accessible(Control("cmdApply")).name, "Apply");

    // Named, each option is still the same button.
    Click("Option11");
    EXPECT_EQ(Text(Control("Text3")), "TXT");
    chooser_.picked = "D:\\Picked";
    SendMessageA(Control("Option6"), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(chooser_.asked, 1);
    EXPECT_EQ(Accessible(Control("Option6")).name, "Saved location: Custom");
}

TEST_F(SettingsWindowTest, EditsAndOptionClicksReachTheRules) {
    Open("1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n");
    Type("Text3", "csv");
    EXPECT_TRUE(Checked(Control("Option12")));  // a custom extension
    Type("Text3", "TXT");
    EXPECT_TRUE(Checked(Control("Option12")));  // a keyword's text leaves the choice alone
    Click("Option10");
    EXPECT_EQ(Text(Control("Text3")), "DAT");
    EXPECT_TRUE(Checked(Control("Option10")));

    // The TimeStamp choice fills the name box and stays selected; typing
    // another name selects "Custom".
    Click("Option8");
    EXPECT_EQ(Text(Control("Text2")), "20231208105603");
    EXPECT_TRUE(Checked(Control("Option8")));
    EXPECT_FALSE(Checked(Control("Option9")));
    Type("Text2", "mine");
    EXPECT_TRUE(Checked(Control("Option9")));

    Click("Option4");
    EXPECT_EQ(Text(Control("Text1")), "C:\\Docs");
}

// After "Custom" the user types: the box has the focus, its text selected.
TEST_F(SettingsWindowTest, ACustomChoicePutsTheFocusInItsBoxWithTheTextSelected) {
    Open("1\r\n0\r\nDesktop\r\n%T\r\nDAT\r\n");
    chooser_.picked = "D:\\Picked";
    const std::pair<const char*, const char*> cases[] = {{"Option9", "Text2"}, {"Option12", "Text3"}, {"Option6", "Text1"}};
    for (const auto& [option, box] : cases) {
        SCOPED_TRACE(option);
        if (std::string(option) == "Option6")
            SendMessageA(Control(option), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        else
            Click(option);
        EXPECT_EQ(GetFocus(), Control(box));
        DWORD start = 0;
        DWORD end = 0;
        SendMessageA(Control(box), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, Text(Control(box)).size());
        EXPECT_FALSE(Text(Control(box)).empty());
    }
}

TEST_F(SettingsWindowTest, AnyMouseButtonOnCustomAsksForAFolderAndCancelKeepsTheBox) {
    Open("1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n");
    chooser_.picked = "D:\\Picked";
    SendMessageA(Control("Option6"), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(chooser_.asked, 1);
    EXPECT_EQ(Text(Control("Text1")), "D:\\Picked");
    EXPECT_TRUE(Checked(Control("Option6")));

    chooser_.picked.reset();  // the user cancels
    SendMessageA(Control("Option6"), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_EQ(chooser_.asked, 2);
    EXPECT_EQ(Text(Control("Text1")), "D:\\Picked");

    // Selecting it from the keyboard opens no chooser.
    Click("Option5");
    SetFocus(Control("Option5"));
    PostMessageA(Control("Option5"), WM_KEYDOWN, VK_RIGHT, 0);
    Pump(dialog_->Handle());
    EXPECT_EQ(chooser_.asked, 2);
}

TEST_F(SettingsWindowTest, EnterSavesAndClosesApplyStaysEscapeDropsTheRest) {
    Open("0\r\n1\r\nDesktop\r\nFORM\r\nDAT\r\n");
    Type("Text3", "txt");
    Click("cmdApply");
    EXPECT_EQ(FileContent(), "0\r\n1\r\nDesktop\r\nFORM\r\ntxt\r\n");
    EXPECT_EQ(mainSettings_.fileext, "txt");
    EXPECT_NE(dialog_->Handle(), nullptr);

    // Escape cancels: what changed since Apply is dropped.
    Type("Text2", "other");
    SetFocus(Control("Text2"));
    PostMessageA(Control("Text2"), WM_KEYDOWN, VK_ESCAPE, 0);
    Pump(dialog_->Handle());
    EXPECT_EQ(dialog_->Handle(), nullptr);
    EXPECT_EQ(FileContent(), "0\r\n1\r\nDesktop\r\nFORM\r\ntxt\r\n");

    // Enter in a box is OK: saves the boxes, keyword for the desktop path.
    Open("0\r\n1\r\nC:\\Else\r\nFORM\r\nDAT\r\n");
    Type("Text1", "C:\\Desk");
    SetFocus(Control("Text1"));
    PostMessageA(Control("Text1"), WM_KEYDOWN, VK_RETURN, 0);
    Pump(dialog_->Handle());
    EXPECT_EQ(dialog_->Handle(), nullptr);
    EXPECT_EQ(FileContent(), "0\r\n1\r\nDesktop\r\nFORM\r\nDAT\r\n");
    EXPECT_EQ(mainSettings_.diradd, "Desktop");

    // Enter on a focused button presses that button: Cancel saves nothing.
    Open("0\r\n1\r\nDesktop\r\nFORM\r\nDAT\r\n");
    Type("Text2", "other");
    SetFocus(Control("cmdCancel"));
    PostMessageA(Control("cmdCancel"), WM_KEYDOWN, VK_RETURN, 0);
    Pump(dialog_->Handle());
    EXPECT_EQ(dialog_->Handle(), nullptr);
    EXPECT_EQ(FileContent(), "0\r\n1\r\nDesktop\r\nFORM\r\nDAT\r\n");
}

TEST_F(SettingsWindowTest, AFileThatCannotBeWrittenKeepsTheDialogOpenAndSaysWhy) {
    Open("1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n");
    SetFileAttributesA(settingsPath_.c_str(), FILE_ATTRIBUTE_READONLY);
    Type("Text3", "new");
    Click("cmdOK");
    EXPECT_NE(dialog_->Handle(), nullptr);
    EXPECT_NE(Text(Control("lblError")), "");
    EXPECT_NE(mainSettings_.fileext, "new");
    EXPECT_EQ(FileContent(), "1\r\n0\r\nDesktop\r\nFORM\r\nDAT\r\n");
    SetFileAttributesA(settingsPath_.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A name replaces what the control's text would give; a label's text is
// then its description, and follows the text as it changes.
TEST(AccessibleName, ReplacesTheNameAndKeepsALabelsTextAsItsDescription) {
    const AccessibilitySupport accessibility;
    HWND label = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    HWND bar = CreateWindowExA(0, "msctls_progress32", "", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr,
                               nullptr);
    SetAccessibleName(label, "Status", ControlText::Description);
    SetAccessibleName(bar, "Progress");
    SetAccessibleName(bar, "Download progress");  // named again: the last name holds
    EXPECT_EQ(Accessible(label).name, "Status");
    EXPECT_EQ(Accessible(label).description, "");
    SetWindowTextA(label, "Searching...");
    EXPECT_EQ(Accessible(label).name, "Status");
    EXPECT_EQ(Accessible(label).description, "Searching...");
    EXPECT_EQ(Accessible(bar).name, "Download progress");
    DestroyWindow(label);
    DestroyWindow(bar);
}

// Bayhaul.exe's window read from another process, as a screen reader reads
// it: every control shown has a name.
TEST(MainWindow, AScreenReaderInAnotherProcessFindsEveryControlNamed) {
    const AccessibilitySupport accessibility;
    const fs::path folder = fs::temp_directory_path() / ("bayhaul-win32-names-" + std::to_string(GetCurrentProcessId()));
    fs::create_directories(folder);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION program = {};
    std::string command = std::string("\"") + BAYHAUL_EXE + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.string().c_str(),
                               &startup, &program));
    // The window exists before its controls do: wait until the program
    // waits for input with its window shown, as a user would see it.
    WaitForInputIdle(program.hProcess, 30000);
    HWND window = nullptr;
    for (int i = 0; i < 300 && (window == nullptr || !IsWindowVisible(window)); ++i) {
        window = FindWindowA("BayhaulForm1", "Bayhaul");
        if (window == nullptr || !IsWindowVisible(window)) Sleep(100);
    }
    std::vector<std::string> names;
    if (window != nullptr) {
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child)) continue;  // the problem line while nothing went wrong
            names.push_back(Accessible(child).name);
            EXPECT_NE(names.back(), "") << "child " << names.size() << " says: " << Text(child);
        }
        PostMessageA(window, WM_CLOSE, 0, 0);
    }
    const bool ended = WaitForSingleObject(program.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(program.hProcess, 1);
    CloseHandle(program.hThread);
    CloseHandle(program.hProcess);
    std::error_code ignored;
    fs::remove_all(folder, ignored);

    ASSERT_NE(window, nullptr) << "no Bayhaul window appeared";
    EXPECT_TRUE(ended);
    for (const char* name : {"Download", "Status", "Download progress", "Sync Date and Time on Terminal with PC",
                             "Auto Delete Data from Device After Transfer to PC", "Settings", "About"}) {
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
    }
}

// The test program carries Bayhaul.exe's own resources.
TEST(AboutWindow, ShowsTheNameAndVersionOfTheVersionResource) {
    const std::optional<BuildVersion> version = ReadVersionResource(BAYHAUL_EXE);
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(version->title, "Bayhaul");
    EXPECT_EQ(version->major, 1);
    EXPECT_EQ(version->minor, 1);
    EXPECT_EQ(version->revision, 2);
    EXPECT_FALSE(ReadVersionResource("C:\\no such program.exe").has_value());

    frmAbout about(nullptr, nullptr);
    EXPECT_EQ(Text(about.Handle()), "About Bayhaul");
    std::vector<std::string> labels;
    for (HWND child = GetWindow(about.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        labels.push_back(Text(child));
    EXPECT_NE(std::find(labels.begin(), labels.end(), "Bayhaul"), labels.end());
    EXPECT_NE(std::find(labels.begin(), labels.end(), "Version 1.1.2"), labels.end());
    about.cmdOK_Click();
    EXPECT_EQ(about.Handle(), nullptr);
}

// What Bayhaul.exe carries: a manifest asking for Common Controls 6 (the
// system's visual style), and one icon with every size Windows shows.
TEST(ProgramResources, ManifestAsksForCommonControls6AndTheIconHasEverySize) {
    HMODULE program = LoadLibraryExA(BAYHAUL_EXE, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(program, nullptr);
    const auto bytes = [program](LPCSTR name, LPCSTR type) {
        HRSRC found = FindResourceA(program, name, type);
        HGLOBAL loaded = found ? LoadResource(program, found) : nullptr;
        const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        return data ? std::string(data, SizeofResource(program, found)) : std::string();
    };
    const std::string manifest = bytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    const std::size_t controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(controls, std::string::npos) << manifest;
    EXPECT_EQ(manifest.find("version=\"6.0.0.0\"", controls), manifest.find("version=", controls));
    EXPECT_NE(manifest.find("<dependentAssembly>"), std::string::npos);
    EXPECT_NE(manifest.find("8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"), std::string::npos) << "Windows 10 and 11";

    // The icon group: a 6-byte header, then 14 bytes an image, its width
    // first (0 for 256).
    const std::string group = bytes(MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));  // RT_GROUP_ICON
    ASSERT_GE(group.size(), 6u);
    const int count = static_cast<unsigned char>(group[4]) | static_cast<unsigned char>(group[5]) << 8;
    ASSERT_EQ(group.size(), 6u + 14u * static_cast<std::size_t>(count));
    std::set<int> sizes;
    for (int i = 0; i < count; ++i) {
        const int width = static_cast<unsigned char>(group[6 + 14 * i]);
        const int height = static_cast<unsigned char>(group[7 + 14 * i]);
        EXPECT_EQ(width, height);
        sizes.insert(width == 0 ? 256 : width);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 256}));
    FreeLibrary(program);
}

// This test program carries Bayhaul.exe's manifest, so the controls it
// makes come from the side-by-side Common Controls 6, as Bayhaul's do.
TEST(ProgramResources, TheManifestBringsCommonControls6) {
    HMODULE controls = GetModuleHandleA("comctl32.dll");
    ASSERT_NE(controls, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(controls, path, MAX_PATH);
    std::string lower(path);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_NE(lower.find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."), std::string::npos) << path;
}

TEST(Win32LocaleText, GivesTheUsersFormatsWithAFourDigitYear) {
    const Win32LocaleText locale;
    const LocalTime friday{2023, 12, 8, 10, 56, 3};
    const std::string date = locale.ShortDate(friday);
    EXPECT_NE(date.find("2023"), std::string::npos) << date;
    // The weekday is worked out from the date, not left at Sunday.
    char name[80];
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDAYNAME5, name, sizeof name);
    EXPECT_EQ(locale.WeekdayName(friday), name);
    EXPECT_NE(locale.WeekdayName({2023, 12, 9, 0, 0, 0}), name);
    EXPECT_NE(locale.LongTime(friday).find("56"), std::string::npos);
    char thousands[8];
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, thousands, sizeof thousands);
    EXPECT_EQ(locale.Number(12345), std::string("12") + thousands + "345");
    EXPECT_EQ(locale.Number(7), "7");
}

// The clock cuts the weekday to three characters of the ANSI code page: a
// byte that would continue a UTF-8 character is a character of its own.
TEST(Win32LocaleText, CutsTextsByTheCharactersOfTheAnsiCodePage) {
    const Win32LocaleText locale;
    ASSERT_EQ(GetACP(), 1252u) << "the test assumes Western European text";
    EXPECT_EQ(locale.FirstCharacters("\x9C" "uvre", 3), "\x9C" "uv");
    EXPECT_EQ(locale.FirstCharacters("s\xE1" "bado", 3), "s\xE1" "b");
    EXPECT_EQ(locale.FirstCharacters("Mo", 3), "Mo");
}

}  // namespace
}  // namespace bayhaul

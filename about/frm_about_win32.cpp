#include "about/frm_about_win32.h"

#include "about/about_texts.h"
#include "about/version_resource_win32.h"

namespace bayhaul {

namespace {

constexpr char kClassName[] = "BayhaulAbout";
constexpr COLORREF kBackground = RGB(0xE8, 0xEF, 0xF6);

// The box is laid out in pixels at 96 dots per inch.
RECT Scaled(int left, int top, int width, int height, const ScreenDpi& dpi) {
    const int x = MulDiv(left, dpi.x, 96);
    const int y = MulDiv(top, dpi.y, 96);
    return {x, y, x + MulDiv(width, dpi.x, 96), y + MulDiv(height, dpi.y, 96)};
}

}  // namespace

frmAbout::frmAbout(HWND owner, HICON icon) {
    const ScreenDpi dpi = QueryScreenDpi();
    background_ = CreateSolidBrush(kBackground);
    font_ = MakeFont("Arial", 8, false, dpi);
    titleFont_ = MakeFont("Arial", 12, true, dpi);

    // The opening sets the caption, then the version, then the title.
    const AboutTexts texts = ComposeAboutTexts(ThisProgramsVersion());
    const RECT client = Scaled(0, 0, 300, 96, dpi);
    Create(kClassName, texts.caption, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_CONTROLPARENT, client.right,
           client.bottom, owner, icon);

    picIcon = MakeControl(Handle(), "STATIC", "", SS_ICON | SS_REALSIZECONTROL, 0, Scaled(16, 16, 16, 16, dpi), 0,
                          font_);
    SendMessageA(picIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    lblVersion = MakeControl(Handle(), "STATIC", "Version", SS_LEFT, 0, Scaled(44, 46, 240, 24, dpi), 0, font_);
    lblTitle = MakeControl(Handle(), "STATIC", "Application Name", SS_LEFT, 0, Scaled(44, 10, 240, 30, dpi), 0,
                           titleFont_);
    SetWindowTextA(lblVersion, texts.version.c_str());
    SetWindowTextA(lblTitle, texts.title.c_str());
    ShowWindow(Handle(), SW_SHOW);
}

frmAbout::~frmAbout() {
    cmdOK_Click();  // the window goes before the fonts and brush it uses
    DeleteObject(font_);
    DeleteObject(titleFont_);
    DeleteObject(background_);
}

void frmAbout::cmdOK_Click() {
    if (Handle() != nullptr) DestroyWindow(Handle());
}

LRESULT frmAbout::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND: {
            RECT client;
            GetClientRect(Handle(), &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, background_);
            return 1;
        }
        case WM_CTLCOLORSTATIC:
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<LRESULT>(background_);
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) cmdOK_Click();  // Escape, Enter
            return 0;
        default:
            return Win32Window::OnMessage(message, wParam, lParam);
    }
}

}  // namespace bayhaul

#include "about/frm_about_win32.h"

#include "about/about_layout.h"
#include "about/about_texts.h"
#include "about/version_resource_win32.h"

namespace bayhaul {

namespace {

constexpr char kClassName[] = "BayhaulAbout";

}  // namespace

frmAbout::frmAbout(HWND owner, HICON icon) {
    const ScreenDpi dpi = QueryScreenDpi();
    background_ = CreateSolidBrush(ColourRef(kAboutBoxBackColour));
    font_ = MakeFont("Arial", 8, false, dpi);
    titleFont_ = MakeFont("Arial", 12, true, dpi);

    // The opening sets the caption, then the version, then the title.
    const AboutTexts texts = ComposeAboutTexts(ThisProgramsVersion());
    Create(kClassName, texts.caption, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_CONTROLPARENT,
           TwipsToPixels(kAboutBoxWidthTwips, dpi.x), TwipsToPixels(kAboutBoxHeightTwips, dpi.y), owner, icon);

    const auto make = [&](const char* name, DWORD style, HFONT font) {
        const ControlSpec& layout = FindControl(AboutBoxControls(), name);
        return MakeControl(Handle(), "STATIC", layout.text, style, 0, TwipsToPixels(layout.place, dpi), 0, font);
    };
    picIcon = make("picIcon", SS_ICON | SS_REALSIZECONTROL, font_);
    SendMessageA(picIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    lblVersion = make("lblVersion", SS_LEFT, font_);
    lblTitle = make("lblTitle", SS_LEFT, titleFont_);
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

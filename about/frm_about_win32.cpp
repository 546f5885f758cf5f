#include "about/frm_about_win32.h"

#include "about/about_texts.h"
#include "about/version_resource_win32.h"

namespace bayhaul {

namespace {

constexpr char kClassName[] = "BayhaulAbout";
constexpr COLORREF kBackground = RGB(0xE8, 0xEF, 0xF6);

// The box is laid out in pixels at 96 dots per inch.
int Scaled(int pixels, int dpi) {
    return MulDiv(pixels, dpi, 96);
}

HFONT Font(int points, bool bold, int dpi) {
    return CreateFontA(-MulDiv(points, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, "Arial");
}

}  // namespace

frmAbout::frmAbout(HWND owner, HICON icon) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExA(instance, kClassName, &windowClass)) {
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hIcon = icon;
        windowClass.hIconSm = icon;
        windowClass.lpszClassName = kClassName;
        RegisterClassExA(&windowClass);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    background_ = CreateSolidBrush(kBackground);
    font_ = Font(8, false, dpi);
    titleFont_ = Font(12, true, dpi);

    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    RECT outer = {0, 0, Scaled(300, dpi), Scaled(96, dpi)};
    AdjustWindowRectEx(&outer, style, FALSE, WS_EX_CONTROLPARENT);
    // The opening sets the caption, then the version, then the title.
    const AboutTexts texts = ComposeAboutTexts(ThisProgramsVersion());
    hwnd_ = CreateWindowExA(WS_EX_CONTROLPARENT, kClassName, "About", style, CW_USEDEFAULT, CW_USEDEFAULT,
                            outer.right - outer.left, outer.bottom - outer.top, owner, nullptr, instance, this);
    SetWindowTextA(hwnd_, texts.caption.c_str());

    const auto make = [&](const char* className, const char* text, DWORD controlStyle, int left, int top, int width,
                          int height, HFONT font) {
        HWND control = CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | controlStyle, Scaled(left, dpi),
                                       Scaled(top, dpi), Scaled(width, dpi), Scaled(height, dpi), hwnd_, nullptr,
                                       instance, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        return control;
    };
    picIcon = make("STATIC", "", SS_ICON | SS_REALSIZECONTROL, 16, 16, 16, 16, font_);
    SendMessageA(picIcon, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
    lblVersion = make("STATIC", "Version", SS_LEFT, 44, 46, 240, 24, font_);
    lblTitle = make("STATIC", "Application Name", SS_LEFT, 44, 10, 240, 30, titleFont_);
    SetWindowTextA(lblVersion, texts.version.c_str());
    SetWindowTextA(lblTitle, texts.title.c_str());
    ShowWindow(hwnd_, SW_SHOW);
}

frmAbout::~frmAbout() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    DeleteObject(font_);
    DeleteObject(titleFont_);
    DeleteObject(background_);
}

void frmAbout::cmdOK_Click() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

LRESULT CALLBACK frmAbout::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    }
    auto* box = reinterpret_cast<frmAbout*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (box != nullptr) {
        switch (message) {
            case WM_ERASEBKGND: {
                RECT client;
                GetClientRect(hwnd, &client);
                FillRect(reinterpret_cast<HDC>(wParam), &client, box->background_);
                return 1;
            }
            case WM_CTLCOLORSTATIC:
                SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
                return reinterpret_cast<LRESULT>(box->background_);
            case WM_COMMAND:
                if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) box->cmdOK_Click();  // Escape, Enter
                return 0;
            case WM_NCDESTROY:
                box->hwnd_ = nullptr;
                SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
                break;
            default:
                break;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

}  // namespace bayhaul

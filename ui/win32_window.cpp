#include "ui/win32_window.h"

#include <objidl.h>
#include <shlwapi.h>
// GDI+'s headers use min and max, which NOMINMAX takes away.
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <cmath>

namespace bayhaul {

Win32Window::~Win32Window() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

void Win32Window::Create(const char* className, const std::string& caption, DWORD style, DWORD exStyle,
                         int clientWidth, int clientHeight, HWND owner, HICON icon) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    if (!GetClassInfoExA(instance, className, &windowClass)) {
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = instance;
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        // Without a small icon the system takes the small image of the
        // icon's resource.
        windowClass.hIcon = icon;
        windowClass.lpszClassName = className;
        RegisterClassExA(&windowClass);
    }
    RECT outer = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&outer, style, FALSE, exStyle);
    CreateWindowExA(exStyle, className, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT, outer.right - outer.left,
                    outer.bottom - outer.top, owner, nullptr, instance, this);
    // Focus rectangles and underlined access keys show when the window was
    // opened from the keyboard, and once the keyboard moves the focus.
    if (hwnd_ != nullptr)
        SendMessageA(hwnd_, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

LRESULT Win32Window::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE) {
        KeepFocus(wParam);
        return 0;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void Win32Window::KeepFocus(WPARAM activation) {
    if (LOWORD(activation) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) focus_ = focus;
        return;
    }
    if (HIWORD(activation)) return;  // minimised
    if (focus_ == nullptr || !IsWindow(focus_) || !IsChild(hwnd_, focus_) || !IsWindowEnabled(focus_))
        focus_ = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    if (focus_ != nullptr) SetFocus(focus_);
}

LRESULT CALLBACK Win32Window::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        window->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<Win32Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (window == nullptr) return DefWindowProcA(hwnd, message, wParam, lParam);
    const LRESULT result = window->OnMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
        window->hwnd_ = nullptr;
    }
    return result;
}

ScreenDpi QueryScreenDpi() {
    HDC screen = GetDC(nullptr);
    const ScreenDpi dpi{GetDeviceCaps(screen, LOGPIXELSX), GetDeviceCaps(screen, LOGPIXELSY)};
    ReleaseDC(nullptr, screen);
    return dpi;
}

RECT TwipsToPixels(const TwipsRect& place, const ScreenDpi& dpi) {
    const int left = TwipsToPixels(place.left, dpi.x);
    const int top = TwipsToPixels(place.top, dpi.y);
    return {left, top, left + TwipsToPixels(place.width, dpi.x), top + TwipsToPixels(place.height, dpi.y)};
}

HWND MakeControl(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle,
                 const RECT& place, int id, HFONT font) {
    HWND control = CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top,
                                   place.right - place.left, place.bottom - place.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr),
                                   nullptr);
    SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return control;
}

HFONT MakeFont(const char* face, double points, bool bold, const ScreenDpi& dpi) {
    const int height = -static_cast<int>(std::lround(points * dpi.y / 72.0));
    return CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
}

std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

bool ShowWindowText(HWND window, const std::string& text) {
    if (WindowText(window) == text) return false;
    SetWindowTextA(window, text.c_str());
    return true;
}

PictureSupport::PictureSupport() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
}

PictureSupport::~PictureSupport() {
    Gdiplus::GdiplusShutdown(token_);
}

Win32Picture::Win32Picture(int resourceId) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(resourceId), MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (found == nullptr) return;
    HGLOBAL loaded = LoadResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) return;
    IStream* stream =
        SHCreateMemStream(static_cast<const BYTE*>(bytes), static_cast<UINT>(SizeofResource(module, found)));
    if (stream == nullptr) return;
    std::unique_ptr<Gdiplus::Bitmap> bitmap(Gdiplus::Bitmap::FromStream(stream));
    stream->Release();
    if (bitmap && bitmap->GetLastStatus() == Gdiplus::Ok) bitmap_ = std::move(bitmap);
}

Win32Picture::~Win32Picture() = default;

int Win32Picture::Width() const {
    return bitmap_ ? static_cast<int>(bitmap_->GetWidth()) : 0;
}

int Win32Picture::Height() const {
    return bitmap_ ? static_cast<int>(bitmap_->GetHeight()) : 0;
}

void Win32Picture::DrawStretched(HDC dc, const RECT& place) const {
    Draw(dc, place, false);
}

void Win32Picture::DrawGreyed(HDC dc, const RECT& place) const {
    Draw(dc, place, true);
}

void Win32Picture::Draw(HDC dc, const RECT& place, bool greyed) const {
    if (!bitmap_) return;
    Gdiplus::Graphics graphics(dc);
    const Gdiplus::Rect target(static_cast<INT>(place.left), static_cast<INT>(place.top),
                               static_cast<INT>(place.right - place.left), static_cast<INT>(place.bottom - place.top));
    const INT width = static_cast<INT>(bitmap_->GetWidth());
    const INT height = static_cast<INT>(bitmap_->GetHeight());
    if (!greyed) {
        graphics.DrawImage(bitmap_.get(), target, 0, 0, width, height, Gdiplus::UnitPixel);
        return;
    }
    // Each colour becomes its brightness, and the whole picture half
    // transparent, so it fades into the background.
    Gdiplus::ColorMatrix grey = {{
        {0.30f, 0.30f, 0.30f, 0.0f, 0.0f},
        {0.59f, 0.59f, 0.59f, 0.0f, 0.0f},
        {0.11f, 0.11f, 0.11f, 0.0f, 0.0f},
        {0.0f, 0.0f, 0.0f, 0.5f, 0.0f},
        {0.0f, 0.0f, 0.0f, 0.0f, 1.0f},
    }};
    Gdiplus::ImageAttributes attributes;
    attributes.SetColorMatrix(&grey);
    graphics.DrawImage(bitmap_.get(), target, 0, 0, width, height, Gdiplus::UnitPixel, &attributes);
}

Win32Backdrop::~Win32Backdrop() {
    if (brush_ != nullptr) DeleteObject(brush_);
    if (bitmap_ != nullptr) DeleteObject(bitmap_);
}

HDC Win32Backdrop::Begin(HWND window, COLORREF colour) {
    window_ = window;
    RECT client;
    GetClientRect(window, &client);
    size_ = {client.right, client.bottom};
    HDC screen = GetDC(window);
    bitmap_ = CreateCompatibleBitmap(screen, size_.cx, size_.cy);
    memory_ = CreateCompatibleDC(screen);
    ReleaseDC(window, screen);
    previous_ = SelectObject(memory_, bitmap_);
    HBRUSH fill = CreateSolidBrush(colour);
    FillRect(memory_, &client, fill);
    DeleteObject(fill);
    return memory_;
}

void Win32Backdrop::End() {
    SelectObject(memory_, previous_);
    DeleteDC(memory_);
    memory_ = nullptr;
    brush_ = CreatePatternBrush(bitmap_);
}

void Win32Backdrop::Paint(HDC dc) const {
    PaintPart(dc, {0, 0, size_.cx, size_.cy});
}

void Win32Backdrop::PaintPart(HDC dc, const RECT& part) const {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, bitmap_);
    BitBlt(dc, 0, 0, part.right - part.left, part.bottom - part.top, memory, part.left, part.top, SRCCOPY);
    SelectObject(memory, previous);
    DeleteDC(memory);
}

HBRUSH Win32Backdrop::BrushFor(HDC dc, HWND control) const {
    POINT origin = {0, 0};
    MapWindowPoints(control, window_, &origin, 1);
    SetBrushOrgEx(dc, -origin.x, -origin.y, nullptr);
    SetBkMode(dc, TRANSPARENT);
    return brush_;
}

}  // namespace bayhaul

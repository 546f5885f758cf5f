// Windows: what the native windows share. A window object behind its HWND,
// controls placed from the twips tables at the screen's resolution, fonts,
// and pictures kept as PNG resources and drawn through GDI+.
#pragma once

#include "ui/twips.h"

#include <windows.h>

#include <memory>
#include <string>

namespace Gdiplus {
class Bitmap;
}

namespace bayhaul {

// A top-level window whose messages go to OnMessage of its object. The
// object outlives its HWND; Handle() is null once the window is destroyed.
// Each behaves as a dialog box does: it is painted in the dialog colour
// unless it paints itself, its focus leaves with it and comes back to the
// same control (the first tab stop at first), and the focus rectangle shows
// by the system's rule, hidden until the keyboard is used.
class Win32Window {
public:
    Win32Window() = default;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;
    virtual ~Win32Window();

    HWND Handle() const { return hwnd_; }

protected:
    // Creates the window with a client area of the given size in pixels.
    void Create(const char* className, const std::string& caption, DWORD style, DWORD exStyle, int clientWidth,
                int clientHeight, HWND owner, HICON icon);
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void KeepFocus(WPARAM activation);
    HWND hwnd_ = nullptr;
    HWND focus_ = nullptr;  // the control that had the focus when the window was left
};

// The screen's logical resolution, in dots per inch.
struct ScreenDpi {
    int x = 96;
    int y = 96;
};
ScreenDpi QueryScreenDpi();

RECT TwipsToPixels(const TwipsRect& place, const ScreenDpi& dpi);

// A colour of the layout tables, 0xRRGGBB, as Windows takes it.
inline COLORREF ColourRef(unsigned rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// A child control at a place in pixels, in the window's control font.
HWND MakeControl(HWND parent, const char* className, const char* text, DWORD style, DWORD exStyle,
                 const RECT& place, int id, HFONT font);

// A font of that face and size in points at the screen's resolution.
HFONT MakeFont(const char* face, double points, bool bold, const ScreenDpi& dpi);

std::string WindowText(HWND window);
// Sets the text unless the window shows it already; true when it changed.
bool ShowWindowText(HWND window, const std::string& text);

// Starts GDI+ for the pictures, and stops it at the end of the program.
class PictureSupport {
public:
    PictureSupport();
    ~PictureSupport();
    PictureSupport(const PictureSupport&) = delete;
    PictureSupport& operator=(const PictureSupport&) = delete;

private:
    ULONG_PTR token_ = 0;
};

// A PNG kept as an RCDATA resource of the program.
class Win32Picture {
public:
    explicit Win32Picture(int resourceId);
    ~Win32Picture();
    // Draws it over the rectangle, blending its transparent parts.
    void DrawStretched(HDC dc, const RECT& place) const;
    // The same in grey and faded, as a control that is not available now.
    void DrawGreyed(HDC dc, const RECT& place) const;
    int Width() const;
    int Height() const;

private:
    void Draw(HDC dc, const RECT& place, bool greyed) const;
    std::unique_ptr<Gdiplus::Bitmap> bitmap_;
};

// A window's background: a picture over a colour, drawn once into a bitmap
// of the client size. It paints the window and lends its pattern to the
// controls on it, so a label repainting its text erases to the picture.
class Win32Backdrop {
public:
    Win32Backdrop() = default;
    ~Win32Backdrop();
    Win32Backdrop(const Win32Backdrop&) = delete;
    Win32Backdrop& operator=(const Win32Backdrop&) = delete;

    // `draw` paints onto a memory DC the size of the client area.
    template <typename Draw>
    void Build(HWND window, COLORREF colour, Draw draw) {
        HDC dc = Begin(window, colour);
        draw(dc);
        End();
    }
    void Paint(HDC dc) const;                   // the whole background
    void PaintPart(HDC dc, const RECT& part) const;  // a part, at the DC's origin
    // For WM_CTLCOLORSTATIC: a brush that shows the background under `control`.
    HBRUSH BrushFor(HDC dc, HWND control) const;

private:
    HDC Begin(HWND window, COLORREF colour);
    void End();

    HWND window_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HBRUSH brush_ = nullptr;
    HDC memory_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    SIZE size_ = {};
};

}  // namespace bayhaul

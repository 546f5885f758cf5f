// What the scripted tests ask of other programs' windows, as Windows itself
// sees them (under wine64):
//   window-probe foreground       the foreground window's title
//   window-probe controls TITLE   every control of the top-level window
//                                 TITLE, one a line: CLASS|TEXT, and for a
//                                 check box |checked or |unchecked
// Exits with 1 when there is no such window.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK PrintControl(HWND control, LPARAM) {
    char className[128] = {};
    GetClassNameA(control, className, sizeof className);
    std::string line = std::string(className) + "|" + TextOf(control);
    const LONG_PTR type = GetWindowLongPtrA(control, GWL_STYLE) & BS_TYPEMASK;
    if (_stricmp(className, "Button") == 0 && (type == BS_CHECKBOX || type == BS_AUTOCHECKBOX))
        line += SendMessageA(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? "|checked" : "|unchecked";
    std::printf("%s\n", line.c_str());
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "foreground") == 0) {
        HWND window = GetForegroundWindow();
        if (window == nullptr) return 1;
        std::printf("%s\n", TextOf(window).c_str());
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "controls") == 0) {
        HWND window = FindWindowA(nullptr, argv[2]);
        if (window == nullptr) return 1;
        EnumChildWindows(window, PrintControl, 0);
        return 0;
    }
    std::fprintf(stderr, "usage: window-probe foreground | controls TITLE\n");
    return 2;
}

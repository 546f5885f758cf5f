#include <windows.h>

#include <string>

namespace bayhaul {

// The system's text for "module not found", without its line break. Taken
// from FormatMessageA here, since every Windows (and Wine) words it its own way.
bool IsMissingFileReason(const std::string& reason) {
    char text[512] = {};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_MOD_NOT_FOUND, 0, text,
                     sizeof text, nullptr);
    std::string expected = text;
    while (!expected.empty() && (expected.back() == '\r' || expected.back() == '\n' || expected.back() == ' ')) {
        expected.pop_back();
    }
    return !expected.empty() && reason == expected;
}

}  // namespace bayhaul

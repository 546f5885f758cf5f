#include "win32/win32_console.h"

#include <windows.h>

#include <cstdio>

namespace bayhaul {

namespace {

bool Usable(DWORD which) {
    HANDLE handle = GetStdHandle(which);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

bool UseConsoleForOutput(bool makeOne) {
    const bool outputGoesSomewhere = Usable(STD_OUTPUT_HANDLE);
    const bool errorsGoSomewhere = Usable(STD_ERROR_HANDLE);
    const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != 0;
    if (outputGoesSomewhere && errorsGoSomewhere) return true;
    if (!attached && !(makeOne && AllocConsole())) return outputGoesSomewhere;
    if (!outputGoesSomewhere) std::freopen("CONOUT$", "w", stdout);
    if (!errorsGoSomewhere) std::freopen("CONOUT$", "w", stderr);
    return true;
}

}  // namespace bayhaul

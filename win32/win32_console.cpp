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

void UseConsoleForOutput() {
    const bool outputGoesSomewhere = Usable(STD_OUTPUT_HANDLE);
    const bool errorsGoSomewhere = Usable(STD_ERROR_HANDLE);
    const bool attached = AttachConsole(ATTACH_PARENT_PROCESS) != 0;
    if (outputGoesSomewhere && errorsGoSomewhere) return;
    if (!attached) AllocConsole();
    if (!outputGoesSomewhere) std::freopen("CONOUT$", "w", stdout);
    if (!errorsGoSomewhere) std::freopen("CONOUT$", "w", stderr);
}

}  // namespace bayhaul

#include "press/pipe_io.h"

#include <windows.h>

namespace bayhaul::pipe_io {

bool WriteAll(End end, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        DWORD wrote = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(end), bytes.data() + sent, static_cast<DWORD>(bytes.size() - sent),
                       &wrote, nullptr) ||
            wrote == 0)
            return false;
        sent += wrote;
    }
    return true;
}

std::size_t ReadSome(End end, char* buffer, std::size_t size) {
    DWORD got = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(end), buffer, static_cast<DWORD>(size), &got, nullptr)) return 0;
    return got;
}

}  // namespace bayhaul::pipe_io

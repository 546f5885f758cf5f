// Windows side of SharedLibrary: LoadLibraryW by full path, and the
// executable's folder and a loaded file from GetModuleFileNameW.
#include <windows.h>

#include <vector>

#include "link/shared_library.h"

namespace bayhaul {

namespace {

std::string LastErrorText() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD length =
        FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    std::string result = length != 0 ? std::string(text, length) : "error " + std::to_string(code);
    LocalFree(text);
    while (!result.empty() && (result.back() == '\r' || result.back() == '\n' || result.back() == ' ')) {
        result.pop_back();
    }
    return result;
}

// The file `module` was loaded from (nullptr: the program itself). Empty,
// with the system's reason, when Windows cannot tell.
std::filesystem::path ModuleFile(HMODULE module, std::string& reason) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            reason = LastErrorText();
            return {};
        }
        if (length < buffer.size()) return std::filesystem::path(buffer.data(), buffer.data() + length);
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

SharedLibrary SharedLibrary::Open(const std::filesystem::path& file, std::string& reason) {
    // A full path: Windows loads exactly that file. The altered search path
    // makes the library's own dependencies resolve from its folder too.
    HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (module == nullptr) reason = LastErrorText();
    return SharedLibrary(reinterpret_cast<void*>(module));
}

AnyFunction SharedLibrary::Find(const char* name) const {
    return reinterpret_cast<AnyFunction>(GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void SharedLibrary::Close() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
}

std::filesystem::path ExecutableFolder(std::string& reason) {
    const std::filesystem::path file = ModuleFile(nullptr, reason);
    if (file.empty()) reason = "cannot get the program's file name: " + reason;
    return file.parent_path();
}

std::filesystem::path LoadedFileHolding(const void* address, std::string& reason) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCWSTR>(address), &module)) {
        reason = "the address lies in no loaded file: " + LastErrorText();
        return {};
    }
    const std::filesystem::path file = ModuleFile(module, reason);
    if (file.empty()) reason = "cannot get the library's file name: " + reason;
    return file;
}

}  // namespace bayhaul

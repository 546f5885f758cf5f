// POSIX side of SharedLibrary: dlopen by full path, the executable's
// folder from /proc/self/exe, and a loaded file from dladdr.
#include <dlfcn.h>

#include <system_error>

#include "link/shared_library.h"

namespace bayhaul {

SharedLibrary SharedLibrary::Open(const std::filesystem::path& file, std::string& reason) {
    // RTLD_NOW: a library with unresolved references fails here, not mid-call.
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* text = dlerror();
        reason = text != nullptr ? text : "unknown dlopen failure";
    }
    return SharedLibrary(handle);
}

AnyFunction SharedLibrary::Find(const char* name) const {
    return reinterpret_cast<AnyFunction>(dlsym(handle_, name));
}

void SharedLibrary::Close() {
    if (handle_ != nullptr) dlclose(handle_);
    handle_ = nullptr;
}

std::filesystem::path ExecutableFolder(std::string& reason) {
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        reason = "cannot read /proc/self/exe: " + error.message();
        return {};
    }
    return executable.parent_path();
}

std::filesystem::path LoadedFileHolding(const void* address, std::string& reason) {
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr || *info.dli_fname == '\0') {
        reason = "the address lies in no loaded file";
        return {};
    }
    return info.dli_fname;
}

}  // namespace bayhaul

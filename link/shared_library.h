// A shared library opened by its full path, closed when the object goes.
// The platform part (open, find a function, close, the program's own
// folder, the file a loaded piece of code came from) lives in one source
// file per platform.
#pragma once

#include <filesystem>
#include <string>
#include <utility>

namespace bayhaul {

// Any exported function, before it is cast to its real type.
using AnyFunction = void (*)();

class SharedLibrary {
public:
    SharedLibrary() = default;
    SharedLibrary(SharedLibrary&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    SharedLibrary& operator=(SharedLibrary&& other) noexcept {
        if (this != &other) {
            Close();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;
    ~SharedLibrary() { Close(); }

    // Opens the library file `file`, which must be a full path: no search
    // path and no current directory is consulted. On failure the result is
    // not open and `reason` holds the system's explanation.
    static SharedLibrary Open(const std::filesystem::path& file, std::string& reason);

    bool IsOpen() const { return handle_ != nullptr; }

    // The exported function `name`, or nullptr when the library lacks it.
    AnyFunction Find(const char* name) const;

private:
    explicit SharedLibrary(void* handle) : handle_(handle) {}
    void Close();

    void* handle_ = nullptr;
};

// The folder that holds the running program's executable. Empty, with
// `reason` filled, when the platform cannot tell.
std::filesystem::path ExecutableFolder(std::string& reason);

// The file of the loaded library or program that holds `address` (a
// function or a static variable of it), by the path it was loaded from.
// Empty, with `reason` filled, when the platform cannot tell.
std::filesystem::path LoadedFileHolding(const void* address, std::string& reason);

}  // namespace bayhaul

// The terminal link library, loaded from a file at the first call that
// needs it. The file sits in the program's own folder; it is opened by full
// path, so a library planted in the current directory or on a search path
// is never run.
#pragma once

#include <filesystem>

#include "link/shared_library.h"
#include "link/tether_source.h"

namespace bayhaul {

// File name of the library on this platform.
#if defined(_WIN32)
inline constexpr char kTetherLibraryFile[] = "TetherDll.Dll";
#else
inline constexpr char kTetherLibraryFile[] = "TetherDll.so";
#endif

class TetherLibrary final : public TetherSource {
public:
    // The library file in the folder of the running program's executable.
    TetherLibrary() = default;
    // The library file in `folder`, which must be an absolute path; `name`
    // gives it another name than the program's, for a library that stands in
    // front of ours and hands it every call.
    explicit TetherLibrary(std::filesystem::path folder, std::filesystem::path name = kTetherLibraryFile)
        : folder_(std::move(folder)), name_(std::move(name)) {}
    // The library file `file` itself, which must be an absolute path: a
    // stand-in for tests and benchmarks, or another library to try.
    static TetherLibrary FromFile(const std::filesystem::path& file) {
        // A bare name is refused as a relative path, never looked for beside the program.
        return TetherLibrary(file.has_parent_path() ? file.parent_path() : ".", file.filename());
    }

    // Opens the library and resolves all ten functions at once. A failed
    // load is tried again at the next call, so a library put in place while
    // the program runs is picked up; a loaded one stays loaded.
    const TetherFunctions* Functions(LoadError& error) override;

private:
    std::filesystem::path folder_;  // empty: the program's own folder
    std::filesystem::path name_ = kTetherLibraryFile;
    SharedLibrary library_;
    TetherFunctions functions_;
};

}  // namespace bayhaul

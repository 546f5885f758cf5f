#include "link/library_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "link/shared_library.h"
#include "link/tether_library.h"

namespace bayhaul {

namespace {

// Whether the file holds `name` anywhere: a read, never a load.
bool Mentions(const std::filesystem::path& file, const std::string& name) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return std::search(bytes.begin(), bytes.end(), name.begin(), name.end()) != bytes.end();
}

}  // namespace

LibraryFile FindLibraryFile(const std::string& file) {
    std::filesystem::path path = file;
    if (path.empty()) {
        std::string reason;
        path = ExecutableFolder(reason) / kTetherLibraryFile;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) return {path.u8string(), LibraryKind::Missing};
    return {path.u8string(), Mentions(path, "Tether_Features") ? LibraryKind::Ours : LibraryKind::Another};
}

std::string LibraryFileText(const LibraryFile& library) {
    switch (library.kind) {
        case LibraryKind::Ours:
            return library.path + " (Bayhaul's own)";
        case LibraryKind::Another:
            return library.path + " (not Bayhaul's: another library, such as the terminal maker's)";
        case LibraryKind::Missing:
            break;
    }
    return library.path + " (missing)";
}

}  // namespace bayhaul

// Which terminal library the ports' workers will load, found out without
// loading it: only the workers ever run the library. Ours exports
// Tether_Features, the terminal maker's does not, and the name of an export
// is in the file itself.
#pragma once

#include <string>

namespace bayhaul {

enum class LibraryKind { Missing, Ours, Another };

struct LibraryFile {
    std::string path;  // where the workers look for it
    LibraryKind kind = LibraryKind::Missing;
};

// The library at `file`, or the one beside the running program when
// `file` is empty (as the workers take it).
LibraryFile FindLibraryFile(const std::string& file);

// "/usr/lib/bayhaul/TetherDll.so (Bayhaul's own)", "... (not Bayhaul's:
// another library)", "... (missing)".
std::string LibraryFileText(const LibraryFile& library);

}  // namespace bayhaul

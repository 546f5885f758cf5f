#include "link/tether_library.h"

#include <string>
#include <type_traits>

namespace bayhaul {

namespace {

// Fills `table` from `library`; returns the names of the ten it lacks, comma-separated.
std::string ResolveAll(const SharedLibrary& library, TetherFunctions& table) {
    std::string missing;
    const auto resolve = [&](const char* name, auto& slot) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(library.Find(name));
        if (slot == nullptr) missing += (missing.empty() ? "" : ", ") + std::string(name);
    };
#define BAYHAUL_RESOLVE(function) resolve(#function, table.function)
    BAYHAUL_RESOLVE(Tether_Create);
    BAYHAUL_RESOLVE(Tether_SetupEx);
    BAYHAUL_RESOLVE(Tether_Connect);
    BAYHAUL_RESOLVE(Tether_ESC_J);
    BAYHAUL_RESOLVE(Tether_UpLoad);
    BAYHAUL_RESOLVE(Tether_StLoad);
    BAYHAUL_RESOLVE(Tether_ESC_E);
    BAYHAUL_RESOLVE(Tether_ESC_M);
    BAYHAUL_RESOLVE(Tether_Disconnect);
    BAYHAUL_RESOLVE(Tether_Destroy);
#undef BAYHAUL_RESOLVE
    table.Tether_Features = reinterpret_cast<Tether_Features_t>(library.Find("Tether_Features"));  // optional
    return missing;
}

}  // namespace

const TetherFunctions* TetherLibrary::Functions(LoadError& error) {
    if (library_.IsOpen()) return &functions_;

    std::filesystem::path folder = folder_;
    if (folder.empty()) {
        std::string reason;
        folder = ExecutableFolder(reason);
        if (folder.empty()) {
            error = {name_.u8string(), "cannot find the program's own folder: " + reason};
            return nullptr;
        }
    }
    const std::filesystem::path file = folder / name_;
    if (!file.is_absolute()) {
        error = {file.u8string(), "the library folder is not an absolute path"};
        return nullptr;
    }

    std::string reason;
    SharedLibrary library = SharedLibrary::Open(file, reason);
    if (!library.IsOpen()) {
        error = {file.u8string(), reason};
        return nullptr;
    }
    TetherFunctions table;
    const std::string missing = ResolveAll(library, table);
    if (!missing.empty()) {
        error = {file.u8string(), "the library lacks " + missing};
        return nullptr;
    }
    library_ = std::move(library);
    functions_ = table;
    return &functions_;
}

}  // namespace bayhaul

#include "sim/terminal_storage.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace bayhaul::sim {

bool TerminalStorage::IsPlainName(const std::string& name) {
    return !name.empty() && name[0] != '.' && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::optional<std::uint64_t> TerminalStorage::FileSize(const std::string& name) const {
    struct stat st {};
    if (!IsPlainName(name) || stat(PathOf(name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
    return static_cast<std::uint64_t>(st.st_size);
}

std::optional<std::vector<std::uint8_t>> TerminalStorage::ReadFile(const std::string& name) const {
    if (!FileSize(name)) return std::nullopt;
    std::ifstream in(PathOf(name), std::ios::binary);
    if (!in) return std::nullopt;
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

DeleteResult TerminalStorage::Delete(const std::string& name) const {
    if (!FileSize(name)) return DeleteResult::Absent;
    return unlink(PathOf(name).c_str()) == 0 ? DeleteResult::Deleted : DeleteResult::Failed;
}

bool TerminalStorage::SetClock(const std::string& stamp) const {
    const std::string temp = PathOf(".CLOCK.new");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << stamp;
        if (!out.flush()) return false;
    }
    return std::rename(temp.c_str(), PathOf("CLOCK").c_str()) == 0;
}

}  // namespace bayhaul::sim

#include "ports/uucp_lock.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>

namespace bayhaul::uucp {

namespace {

// Whether `process` may still use a port. One that has ended but was not
// yet reaped (a zombie: a killed program's worker, waiting for its new
// parent) holds nothing open any more.
bool Running(pid_t process) {
    if (::kill(process, 0) != 0 && errno == ESRCH) return false;
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    if (!stat) return true;  // no /proc to ask: it runs
    const std::string line((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // "PID (COMMAND) STATE ...": the state follows the last ')'.
    const std::size_t end = line.rfind(')');
    return !(end != std::string::npos && end + 2 < line.size() && line[end + 2] == 'Z');
}

// What /proc says the process is called: "minicom"; "" when it cannot tell.
std::string ProcessName(pid_t process) {
    std::ifstream comm("/proc/" + std::to_string(process) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// The process number a lock file's text holds: blanks, then digits, then
// blanks or a line end, as UUCP programs write it; 0 for anything else.
pid_t NumberIn(const std::string& text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return 0;
    const std::size_t end = text.find_first_not_of("0123456789", start);
    if (end == start || end - start > 10 ||
        (end != std::string::npos && text.find_first_not_of(" \t\r\n", end) != std::string::npos))
        return 0;
    const long process = std::strtol(text.c_str() + start, nullptr, 10);
    return process > 0 && process <= 0x7fffffff ? static_cast<pid_t>(process) : 0;
}

}  // namespace

std::string LockFileFor(const std::string& device, const std::string& folder) {
    char* real = ::realpath(device.c_str(), nullptr);
    std::string name = real ? real : device;
    std::free(real);
    if (name.rfind("/dev/", 0) == 0) name.erase(0, 5);
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    return folder + "/LCK.." + name;
}

Lock ReadLock(const std::string& lockFile) {
    struct stat st {};
    if (::lstat(lockFile.c_str(), &st) != 0) return {};
    std::ifstream file(lockFile, std::ios::binary);
    std::string text(64, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    const pid_t process = S_ISREG(st.st_mode) ? NumberIn(text) : 0;
    if (process == 0) {
        // Its age either way: a clock set back must not keep it young for ever.
        const std::time_t age = std::time(nullptr) - st.st_mtime;
        const bool young = age < kGrace.count() && age > -kGrace.count();
        return {young ? Lock::State::Making : Lock::State::Stale, 0};
    }
    if (process != ::getpid() && Running(process)) return {Lock::State::Held, process};
    return {Lock::State::Stale, process};
}

std::string HolderText(const std::string& lockFile) {
    const Lock lock = ReadLock(lockFile);
    switch (lock.state) {
        case Lock::State::Held: {
            const std::string name = ProcessName(lock.process);
            return (name.empty() ? "" : name + ", ") + "process " + std::to_string(lock.process);
        }
        case Lock::State::Making:
            return "a program is taking it (" + lockFile + ")";
        case Lock::State::Stale:
            if (lock.process == ::getpid()) return "this Bayhaul, process " + std::to_string(lock.process);
            return "its lock file " + lockFile + " is left from a program that ended, and Bayhaul may not remove it";
        default:
            return "";
    }
}

}  // namespace bayhaul::uucp

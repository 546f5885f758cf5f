// What a user can do about a failure, by its cause: one table, so the
// window, the command line, the watch and the history all say the same.
#pragma once

#include <string>

namespace bayhaul {

// Why something failed, as far as the user can act on it. The values travel
// between a port's worker and its press as numbers: keep them stable.
enum class FailureCause {
    None = 0,        // nothing to do: not a failure, or nothing helps
    Terminal,        // the terminal went quiet, hung up or refused
    NoisyLine,       // bytes arrived, but too damaged to understand
    Port,            // the port could not be opened or set up
    PortGone,        // the port disappeared
    PortInUse,       // another program holds the port
    PortPermission,  // the user may not open the port
    Folder,          // the folder refuses the file
    DiskFull,        // no space left where the file goes
    PathTooLong,     // the folder and name are too long for the system
    Library,         // the terminal library misbehaved
    Stopped,         // the press was stopped before the file was saved
    FileChanging,    // the terminal kept writing its file while it was copied
};
inline constexpr int kLastFailureCause = static_cast<int>(FailureCause::FileChanging);

// The action that helps, as a sentence of its own; "" for None.
std::string AdviceFor(FailureCause cause);

// `text` ended with the advice for `cause`: "...; the terminal keeps its
// data. Check that the terminal is switched on ...". `text` alone for None.
std::string WithAdvice(const std::string& text, FailureCause cause);

}  // namespace bayhaul

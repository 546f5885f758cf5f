// UUCP lock files, the convention serial programs on Linux share: before
// opening /dev/ttyUSB0 a program creates /var/lock/LCK..ttyUSB0 holding its
// process number (ten ASCII digits and a newline) and removes it when done.
// A lock whose process has ended is stale. So is one that holds no number
// once it is older than a short grace: its creator writes the number at
// once, so such a file is what a program killed between creating and
// writing it left. POSIX only.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>

namespace bayhaul::uucp {

inline constexpr char kLockFolder[] = "/var/lock";
// How long a lock without a process number is taken to be in the making.
inline constexpr std::chrono::seconds kGrace{5};

// "/var/lock/LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_3" for /dev/pts/3,
// named after the device itself when `device` is a link to it.
std::string LockFileFor(const std::string& device, const std::string& folder = kLockFolder);

struct Lock {
    enum class State {
        None,    // no lock file
        Held,    // a running process holds it (`process`)
        Making,  // no process number yet, within the grace
        Stale,   // its process has ended, or it never got a number: it may be removed
    };
    State state = State::None;
    pid_t process = 0;  // the number it holds; 0 when none
};

// The lock file's state now. The number of this very process counts as
// stale: it is this process's own lock, taken again.
Lock ReadLock(const std::string& lockFile);

// Who holds the port of `lockFile`, in words for "in use by another
// program: ...": "minicom, process 1234" (the name from /proc/<pid>/comm),
// or what keeps the lock file from being taken; "" when no lock file stands
// in the way (the holder uses none).
std::string HolderText(const std::string& lockFile);

}  // namespace bayhaul::uucp

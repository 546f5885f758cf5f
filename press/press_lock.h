// One press at a time for each user. A press, from the window, the command
// line or any other front end, holds this lock while it runs; another press
// of the same user finds it held and does not start, so two presses never
// number their files alike or fight over a terminal. The lock is the
// system's own lock on a file in the user's state folder: it goes with the
// process however that ends, and the file names who holds it and since
// when. The file is Bayhaul's alone: a link at its name is refused, and only
// the process that holds the lock writes it.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace bayhaul {

// A lock that is held; released when this goes.
class PressLock {
public:
    virtual ~PressLock() = default;
};

// Takes the lock, or gives nullptr with `why` saying who holds it, or why
// no lock could be taken, in a sentence for the user.
using PressLockTaker = std::function<std::unique_ptr<PressLock>(std::string& why)>;

// The user's lock, the file "press.lock" in `folder` (made when missing),
// held in the name of `who` ("bayhaul --download", say).
PressLockTaker FilePressLock(std::string folder, std::string who);

// What a holder writes into the lock file each time it takes the lock: who,
// its process, and since when, which is now.
std::string PressHolderText(const std::string& who, unsigned long process);
// The holder a lock file's text names: its first line.
std::string HolderOf(const std::string& text);

// Why a lock at `path` is not taken: what is there is not a file of ours
// alone, so writing it could write something of the user's.
enum class LockObstacle { Link, OtherName, NotAFile };
std::string NotOurLockText(const std::string& path, LockObstacle obstacle);

// The sentence for a press that did not start because `holder` runs one.
std::string PressRunningText(const std::string& holder);

}  // namespace bayhaul

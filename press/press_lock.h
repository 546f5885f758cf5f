// One press at a time for each user. A press, from the window, the command
// line or any other front end, holds this lock while it runs; another press
// of the same user finds it held and does not start, so two presses never
// number their files alike or fight over a terminal. The lock is the
// system's own lock on a file in the user's state folder: it goes with the
// process however that ends, and the file names who holds it.
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

// What a holder writes into the lock file: who, its process, since when; or ""
// when `written`, the file's text, names this process already. A watch takes
// the lock for every probe and so need not write the file each time.
std::string PressHolderText(const std::string& written, const std::string& who, unsigned long process);

// The sentence for a press that did not start because `holder` runs one.
std::string PressRunningText(const std::string& holder);

}  // namespace bayhaul

// A lock on a small file of Bayhaul's own in the user's state folder, for
// the watch and for a press that asks a watch for the ports: the system's
// own lock on the file, which goes with the process however that ends.
// Shared locks stand beside each other; an exclusive one stands alone. The
// file is never followed through a link, and only an exclusive holder
// writes it. One implementation per platform.
#pragma once

#include <memory>
#include <string>

namespace bayhaul {

// A lock that is held; released when this goes.
class HeldLockFile {
public:
    virtual ~HeldLockFile() = default;
    // Makes `text` the file's whole content (an exclusive holder only).
    // Should this fail, only the description is lost: the lock holds.
    virtual void Describe(const std::string& text) = 0;
};

enum class LockKind { Shared, Exclusive };

struct LockFileTaken {
    std::unique_ptr<HeldLockFile> lock;  // set when taken
    bool busy = false;                   // not taken: another holds it
    std::string error;                   // not taken for another reason, in words
};

// Locks the file at `path`, made when missing; `wait`: until it is free,
// otherwise it is given up at once when another holds it.
LockFileTaken TakeLockFile(const std::string& path, LockKind kind, bool wait);

// What the file at `path` says; "" when there is none or it cannot be read.
std::string ReadLockFile(const std::string& path);

// This process's number, for a holder to name itself.
unsigned long ThisProcessNumber();

}  // namespace bayhaul

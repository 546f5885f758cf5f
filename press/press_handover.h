// How a press gets the ports from an idle watch. A watch holds the press
// lock while it waits and probes, so that no press opens a port it probes;
// a press that wants the lock says so first (a shared lock on
// "press.wanted" in the state folder), and the watch, which looks at least
// ten times a second, ends its probe and lets the lock go. A watch's
// collection lets nothing go: a press asking meanwhile is refused, naming
// it, as any second press is.
#pragma once

#include <chrono>
#include <string>

#include "press/press_lock.h"

namespace bayhaul {

inline constexpr char kPressWantedFile[] = "press.wanted";

// The press lock `take` gives, asked for through the state folder and
// waited for up to `wait`; refused as `take` refuses when it is not free by
// then. Without a state folder it is only waited for.
PressLockTaker HandedOverPressLock(PressLockTaker take, std::string stateFolder,
                                   std::chrono::milliseconds wait = std::chrono::seconds(1));

// What a watch looks at: whether a press of the user waits for the lock.
class PressRequests {
public:
    explicit PressRequests(std::string stateFolder) : stateFolder_(std::move(stateFolder)) {}
    bool Pending() const;

private:
    const std::string stateFolder_;
};

}  // namespace bayhaul

// What a watch does with the ports it sees: which to probe and when, and
// which terminal to collect. A port that appears is probed at once; the
// others every few seconds, a port another program holds included (it is
// skipped while held). A terminal is collected when it answers and has not
// been collected since it arrived; it counts as gone when its port goes or
// it stops answering, and is collected again when it comes back.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "press/port_session.h"

namespace bayhaul {

class PortWatch {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kProbeEvery{5};

    // The ports present now, in list order: new ones are due at once, before
    // any other, and ports that went are forgotten.
    void Present(const std::vector<std::int16_t>& ports);

    // The port to probe now, new ones first, then the longest due; nothing
    // when none is due.
    std::optional<std::int16_t> NextProbe(Clock::time_point now) const;
    // When the next probe is due; Clock::time_point::max() when no port is there.
    Clock::time_point NextDue() const;

    using Probe = PortProbe;
    // How the probe of `port` went; true when its terminal is to be collected now.
    bool Probed(std::int16_t port, Probe probe, Clock::time_point now);
    // How the collection of `port` went: done (saved, or nothing there to
    // save) means not again until the terminal leaves and comes back;
    // otherwise it is tried again at its next probe.
    void Collected(std::int16_t port, bool done);

private:
    struct Port {
        std::int16_t number;
        Clock::time_point due;
        bool collected = false;
    };
    std::vector<Port> ports_;
};

}  // namespace bayhaul

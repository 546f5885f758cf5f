// What a watch does with the ports it sees: which to probe and when, which
// terminal to collect, and what about it is news. A port that appears is
// probed at once; the others every few seconds, a port another program
// holds included (it is skipped while held). A terminal is collected when
// it answers and has not been collected since it arrived; it counts as gone
// when its port goes or two probes in a row find no terminal (one may
// catch it busy after a press), and is collected again when it comes back. A collection that fails is tried again while the terminal
// stays, after a pause that doubles from 5 s to 5 minutes; its failure is
// news once per docking, and so is the terminal leaving unsaved.
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
    static constexpr std::chrono::seconds kFirstRetry{5};
    static constexpr std::chrono::minutes kLongestRetry{5};

    // The ports present now, in list order: new ones are due at once, before
    // any other, and ports that went are forgotten. Gives the ports that
    // went while their terminal's file was still unsaved.
    std::vector<std::int16_t> Present(const std::vector<std::int16_t>& ports);

    // The port to probe now, new ones first, then the longest due; nothing
    // when none is due.
    std::optional<std::int16_t> NextProbe(Clock::time_point now) const;
    // When the next probe is due; Clock::time_point::max() when no port is there.
    Clock::time_point NextDue() const;

    using Probe = PortProbe;
    enum class Step {
        Wait,         // nothing to do on the port now
        Collect,      // its terminal is to be collected now
        LeftUnsaved,  // its terminal left with its file unsaved (once per docking)
    };
    // How the probe of `port` went, and what follows.
    Step Probed(std::int16_t port, Probe probe, Clock::time_point now);

    // How a collection ended: the file saved or nothing there to save (not
    // again until the terminal leaves and comes back), a failure to say,
    // or no answer (the terminal went between the probe and the press).
    enum class Outcome { Done, Failed, NoAnswer };
    // Takes how the collection of `port` went; true when it is a failure
    // to say: the first of this docking.
    bool Collected(std::int16_t port, Outcome outcome, Clock::time_point now);
    // The collections of `port` that failed since its terminal arrived,
    // and whether a failure of them was said.
    int Failures(std::int16_t port) const;
    bool FailureSaid(std::int16_t port) const;

private:
    struct Port {
        std::int16_t number;
        Clock::time_point due;
        bool collected = false;
        int missed = 0;          // probes in a row that found no terminal
        int failures = 0;        // collections of this docking that did not save the file
        bool failureSaid = false;
        Clock::time_point retry{};  // not collected again before
    };
    const Port* Find(std::int16_t number) const;
    Port* Find(std::int16_t number) { return const_cast<Port*>(static_cast<const PortWatch&>(*this).Find(number)); }
    std::vector<Port> ports_;
};

}  // namespace bayhaul

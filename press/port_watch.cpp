#include "press/port_watch.h"

#include <algorithm>

namespace bayhaul {

namespace {

constexpr int kMissesToLeave = 2;

// The pause before the next try after `failures` failed ones: 5 s, doubling
// to 5 minutes.
PortWatch::Clock::duration RetryPause(int failures) {
    const auto longest = std::chrono::duration_cast<PortWatch::Clock::duration>(PortWatch::kLongestRetry);
    PortWatch::Clock::duration pause = PortWatch::kFirstRetry;
    for (int i = 1; i < failures && pause < longest; ++i) pause *= 2;
    return std::min(pause, longest);
}

}  // namespace

const PortWatch::Port* PortWatch::Find(std::int16_t number) const {
    const auto port =
        std::find_if(ports_.begin(), ports_.end(), [number](const Port& port) { return port.number == number; });
    return port == ports_.end() ? nullptr : &*port;
}

std::vector<std::int16_t> PortWatch::Present(const std::vector<std::int16_t>& ports) {
    std::vector<Port> present;
    for (const std::int16_t number : ports) {
        const Port* known = Find(number);
        // A new port goes before any other that is due.
        present.push_back(known ? *known : Port{number, Clock::time_point::min()});
    }
    std::vector<std::int16_t> leftUnsaved;
    for (const Port& port : ports_) {
        const bool stays = std::find(ports.begin(), ports.end(), port.number) != ports.end();
        if (!stays && port.failureSaid) leftUnsaved.push_back(port.number);
    }
    ports_ = std::move(present);
    return leftUnsaved;
}

std::optional<std::int16_t> PortWatch::NextProbe(Clock::time_point now) const {
    const auto first = std::min_element(ports_.begin(), ports_.end(),
                                        [](const Port& a, const Port& b) { return a.due < b.due; });
    if (first == ports_.end() || first->due > now) return std::nullopt;
    return first->number;
}

PortWatch::Clock::time_point PortWatch::NextDue() const {
    Clock::time_point due = Clock::time_point::max();
    for (const Port& port : ports_) due = std::min(due, port.due);
    return due;
}

PortWatch::Step PortWatch::Probed(std::int16_t number, Probe probe, Clock::time_point now) {
    Port* port = Find(number);
    if (!port) return Step::Wait;
    port->due = now + kProbeEvery;
    if (probe != Probe::NoTerminal) {
        port->missed = 0;
    } else if (++port->missed >= kMissesToLeave) {
        // It left; when it answers again, it came back as a new docking.
        const bool leftUnsaved = port->failureSaid;
        *port = Port{number, port->due};
        return leftUnsaved ? Step::LeftUnsaved : Step::Wait;
    }
    return probe == Probe::Terminal && !port->collected && now >= port->retry ? Step::Collect : Step::Wait;
}

bool PortWatch::Collected(std::int16_t number, Outcome outcome, Clock::time_point now) {
    Port* port = Find(number);
    if (!port) return false;
    if (outcome == Outcome::Done) {
        port->collected = true;
        return false;
    }
    // Tried again after a growing pause, though its next probe may come sooner.
    ++port->failures;
    port->retry = now + RetryPause(port->failures);
    if (outcome == Outcome::NoAnswer || port->failureSaid) return false;
    port->failureSaid = true;
    return true;
}

int PortWatch::Failures(std::int16_t number) const {
    const Port* port = Find(number);
    return port ? port->failures : 0;
}

bool PortWatch::FailureSaid(std::int16_t number) const {
    const Port* port = Find(number);
    return port && port->failureSaid;
}

}  // namespace bayhaul

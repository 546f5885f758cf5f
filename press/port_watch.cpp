#include "press/port_watch.h"

#include <algorithm>

namespace bayhaul {

void PortWatch::Present(const std::vector<std::int16_t>& ports) {
    std::vector<Port> present;
    for (const std::int16_t number : ports) {
        const auto known =
            std::find_if(ports_.begin(), ports_.end(), [number](const Port& port) { return port.number == number; });
        // A new port goes before any other that is due.
        present.push_back(known != ports_.end() ? *known : Port{number, Clock::time_point::min()});
    }
    ports_ = std::move(present);
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

bool PortWatch::Probed(std::int16_t number, Probe probe, Clock::time_point now) {
    const auto port =
        std::find_if(ports_.begin(), ports_.end(), [number](const Port& port) { return port.number == number; });
    if (port == ports_.end()) return false;
    port->due = now + kProbeEvery;
    if (probe == Probe::NoTerminal) port->collected = false;  // it left; when it answers again, it came back
    return probe == Probe::Terminal && !port->collected;
}

void PortWatch::Collected(std::int16_t number, bool done) {
    for (Port& port : ports_) {
        if (port.number == number) port.collected = done;
    }
}

}  // namespace bayhaul

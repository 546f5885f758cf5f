#include "faults.h"

#include <algorithm>
#include <charconv>
#include <iterator>

namespace bayhaul::one_call_tether {

namespace {

// The text before the next `separator` (all of it when there is none), taken
// off the front of `text` with the separator.
std::string_view TakeField(std::string_view& text, char separator) {
    const std::size_t end = std::min(text.find(separator), text.size());
    const std::string_view field = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    return field;
}

std::optional<Fault> ReadFault(std::string_view text, std::string& problem) {
    const std::string quoted = "'" + std::string(text) + "'";
    std::string_view call = text;
    const std::string_view kind = TakeField(call, ':');
    const std::string_view port = TakeField(call, ':');

    Fault fault{};
    if (kind == "crash") {
        fault.kind = FaultKind::Crash;
    } else if (kind == "hang") {
        fault.kind = FaultKind::Hang;
    } else {
        problem = quoted + " does not start with crash: or hang:";
        return std::nullopt;
    }
    const char* const portEnd = port.data() + port.size();
    const auto [end, error] = std::from_chars(port.data(), portEnd, fault.port);
    if (error != std::errc() || end != portEnd || fault.port < 1 || fault.port > 32767) {
        problem = quoted + " names no COM number from 1 to 32767";
        return std::nullopt;
    }
    if (std::find(std::begin(kFaultCalls), std::end(kFaultCalls), call) == std::end(kFaultCalls)) {
        problem = quoted +
                  " names no call: setup, connect, query, transfer, status, delete, clock, disconnect or destroy";
        return std::nullopt;
    }
    fault.call = std::string(call);
    return fault;
}

}  // namespace

std::optional<std::vector<Fault>> ReadFaults(std::string_view text, std::string& problem) {
    std::vector<Fault> faults;
    if (text.empty()) return faults;
    for (;;) {
        const bool last = text.find(',') == std::string_view::npos;
        const std::optional<Fault> fault = ReadFault(TakeField(text, ','), problem);
        if (!fault) return std::nullopt;
        faults.push_back(*fault);
        if (last) return faults;
    }
}

}  // namespace bayhaul::one_call_tether

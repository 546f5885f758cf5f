// The faults ONE_CALL_TETHER_FAULT asks the stand-in library for: a list of
// KIND:PORT:CALL, comma-separated, such as "crash:3:connect,hang:5:transfer".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bayhaul::one_call_tether {

enum class FaultKind {
    Crash,  // a segmentation fault inside the call
    Hang,   // the call never returns
};

struct Fault {
    FaultKind kind;
    int port;          // the COM number the handle was set up for
    std::string call;  // one of kFaultCalls
};

// The calls a fault may name, each one export of the library.
inline constexpr std::string_view kFaultCalls[] = {"setup",  "connect", "query",      "transfer", "status",
                                                    "delete", "clock",   "disconnect", "destroy"};

// The faults `text` lists (none for an empty text), or nullopt with
// `problem` saying which part is wrong and why.
std::optional<std::vector<Fault>> ReadFaults(std::string_view text, std::string& problem);

}  // namespace bayhaul::one_call_tether

// A port's worker: the process that loads its own copy of the terminal
// library and runs one port's session (or a watch's probe) in it, asking the
// press over its channel for everything the press decides. A library that
// crashes or hangs takes this process with it, never the press.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "link/tether_source.h"
#include "press/worker_link.h"

namespace bayhaul {

struct WorkerOrder {
    std::int16_t port = 0;
    bool probe = false;        // only whether a terminal answers
    std::string libraryFile;   // the library to load; empty: the one beside the program
};

// The worker program's arguments for `order`, and back; nothing when they
// are not a worker's.
std::vector<std::string> WorkerArguments(const WorkerOrder& order);
std::optional<WorkerOrder> ParseWorkerArguments(const std::vector<std::string>& arguments);

// How often a transfer's progress is polled, and how often it is told to
// the press at least, so the press knows the library still returns.
inline constexpr std::chrono::milliseconds kWorkerPoll{50};
inline constexpr std::chrono::milliseconds kWorkerHeartbeat{500};

// Runs the order over `channel` with the library `library` gives; the
// worker program's exit code.
int RunPortWorker(WorkerChannel& channel, TetherSource& library, const WorkerOrder& order);

}  // namespace bayhaul

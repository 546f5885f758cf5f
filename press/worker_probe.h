// A watch's probe of one port, in a worker of its own like a press's port:
// a library that hangs or crashes while probing costs that probe only.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "press/port_session.h"
#include "press/worker_link.h"

namespace bayhaul {

// Whether a terminal answers on `port`. NoTerminal, with `failure` saying
// why, when the worker could not start, could not load the library, went
// silent for `limit`, or ended without an answer. Nothing when `giveUp`,
// asked every 50 ms, said to give the probe up: its worker is ended.
std::optional<PortProbe> ProbeInWorker(WorkerStarter& workers, const std::string& libraryFile, std::int16_t port,
                                       std::chrono::milliseconds limit, const std::function<bool()>& giveUp,
                                       std::string& failure);

}  // namespace bayhaul

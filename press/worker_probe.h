// A watch's probe of one port, in a worker of its own like a press's port:
// a library that hangs or crashes while probing costs that probe only.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "press/port_session.h"
#include "press/worker_link.h"

namespace bayhaul {

// Whether a terminal answers on `port`. NoTerminal, with `failure` saying
// why, when the worker could not start, could not load the library, went
// silent for `limit`, or ended without an answer.
PortProbe ProbeInWorker(WorkerStarter& workers, const std::string& libraryFile, std::int16_t port,
                        std::chrono::milliseconds limit, std::string& failure);

}  // namespace bayhaul

// The workers of the running program: the worker program that sits beside
// its executable, as the terminal library does.
#pragma once

#include <memory>

#include "press/worker_link.h"

namespace bayhaul {

#if defined(_WIN32)
inline constexpr char kWorkerProgramFile[] = "bayhaul-worker.exe";
#else
inline constexpr char kWorkerProgramFile[] = "bayhaul-worker";
#endif

// Set to 1, the ports' workers run one after another: the way back for a
// terminal library that misbehaves when several copies of it run at once.
inline constexpr char kOneAtATimeVariable[] = "BAYHAUL_ONE_PORT_AT_A_TIME";

std::shared_ptr<WorkerStarter> ProgramWorkers();
bool OneAtATimeAsked();

}  // namespace bayhaul
